#include "app/ScanIntake.h"
#include "app/Station.h"
#include "app/windows/frmMain.h"
#include "scan/ScanConsumers.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

class Dispatcher : public ScanConsumers {
public:
    bool DispatchLabel(QString label) override
    {
        labels << label;
        if (during)
            during();
        return accept;
    }
    void HandleProgramScan(QString&) override {}
    QString ExpandPayload(QString&) override { return QString(); }
    QStringList labels;
    bool accept = true;
    std::function<void()> during;
};

class frmMainManualEntryTest : public testing::Test {
protected:
    frmMainManualEntryTest()
    {
        env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\nCommPort=1\r\n");
        window.Form_Load();
        window.show();
        text = window.findChild<QLineEdit*>("txtEtichetta");
        edit = window.findChild<QPushButton*>("cmdEdit");
        ok = window.findChild<QPushButton*>("cmdEndEdit");
        status = window.findChild<QLabel*>("lblStatusBar");
    }
    void expectIdle()
    {
        EXPECT_FALSE(text->isEnabled());
        EXPECT_TRUE(edit->isEnabled());
        EXPECT_FALSE(ok->isEnabled());
    }
    // After a label was taken the entry stays open, empty and with the focus, for the next one.
    void expectReadyForTheNext()
    {
        EXPECT_TRUE(text->isEnabled());
        EXPECT_TRUE(text->text().isEmpty());
        EXPECT_EQ(window.focusWidget(), text);
        EXPECT_TRUE(ok->isEnabled());
        EXPECT_FALSE(edit->isEnabled());
    }
    void type(const QString& label)
    {
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClicks(text, label);
    }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeSerialPort port;
    Dispatcher dispatcher;
    FakeProcessExit exit;
    Station station{{boxes, instances, pauser, exit, {"tarvex", "NOAPP"}, &port, &dispatcher}};
    frmMain window{station};
    QLineEdit* text;
    QPushButton* edit;
    QPushButton* ok;
    QLabel* status;
};

TEST_F(frmMainManualEntryTest, EditThenOkDispatchesTheUpperCasedText)
{
    expectIdle();
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_TRUE(text->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(status->text(), "Type the Barcode-Label.");

    QTest::keyClicks(text, "p1!a%b");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dispatcher.labels, QStringList{"P1!A%B"}); // no framing rules for typed labels
    expectReadyForTheNext();
}

TEST_F(frmMainManualEntryTest, RefusedLabelStaysForCorrection)
{
    dispatcher.accept = false;
    type("abc");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(text->text(), "ABC");
    EXPECT_TRUE(text->isEnabled());
    EXPECT_FALSE(text->isReadOnly());
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
}

TEST_F(frmMainManualEntryTest, EmptyOkRestoresIdleAndReady)
{
    type("");
    station.State().SetStatus("something else");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(dispatcher.labels.isEmpty());
    EXPECT_EQ(status->text(), "Ready.");
    expectIdle();
}

TEST_F(frmMainManualEntryTest, EnterActsAsOk)
{
    type("p7");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(dispatcher.labels, QStringList{"P7"});
    expectReadyForTheNext();
}

TEST_F(frmMainManualEntryTest, OkDuringAScanWaitsItsTurn)
{
    type("typed");
    dispatcher.during = [this] {
        if (dispatcher.labels.size() == 1) {
            QTest::mouseClick(ok, Qt::LeftButton);
            EXPECT_EQ(dispatcher.labels.size(), 1);
            EXPECT_FALSE(ok->isEnabled()); // not sent twice meanwhile
        }
    };
    port.open = true;
    port.Receive("SCAN");
    for (int i = 0; i < 3; ++i)
        station.Intake().Timer1_Timer();
    EXPECT_EQ(dispatcher.labels, (QStringList{"SCAN", "TYPED"}));
    expectReadyForTheNext();
}

// A scanner that works as a keyboard: after one click on "Edit" every label goes in, whatever
// comes after it; its spaces never tick a check box, and Escape leaves the entry.
TEST_F(frmMainManualEntryTest, AKeyboardScannerSendsLabelAfterLabelWithoutAClick)
{
    const QByteArray before = TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI");
    type("p1 n x");
    QTest::keyClick(window.focusWidget(), Qt::Key_Return);
    dispatcher.accept = false; // a part stored, waiting for the next: not accepted
    QTest::keyClicks(window.focusWidget(), "%12p2 n x %");
    QTest::keyClick(window.focusWidget(), Qt::Key_Return);
    dispatcher.accept = true;
    QTest::keyClicks(window.focusWidget(), "%22 1 2 3 %");
    QTest::keyClick(window.focusWidget(), Qt::Key_Return);
    EXPECT_EQ(dispatcher.labels, (QStringList{"P1 N X", "%12P2 N X %", "%22 1 2 3 %"}));
    for (const char* name : {"AClear", "Overwrite", "AutoStart"})
        EXPECT_NE(window.focusWidget(), window.findChild<QCheckBox*>(name)) << name;
    EXPECT_EQ(TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI"), before);

    QTest::keyClick(text, Qt::Key_Escape);
    expectIdle();
    EXPECT_EQ(status->text(), "Ready.");
}

} // namespace
