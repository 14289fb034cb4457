#include "app/ScanIntake.h"
#include "app/Station.h"
#include "app/windows/frmMain.h"
#include "config/ScanSuffix.h"
#include "scan/ScanConsumers.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
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
    // The focus goes to the history, never to a button that a space or an Enter would press.
    EXPECT_EQ(window.focusWidget(), window.findChild<QWidget*>("lstHistory"));
    QTest::keyClicks(window.focusWidget(), "%12PANEL1 N X %");
    QTest::keyClick(window.focusWidget(), Qt::Key_Return);
    EXPECT_EQ(dispatcher.labels.size(), 3);
    expectIdle();

    // Tab, when it is no suffix, moves the focus to no button either.
    type("p9");
    QTest::keyClick(text, Qt::Key_Tab);
    EXPECT_EQ(qobject_cast<QAbstractButton*>(window.focusWidget()), nullptr);
}

// A scanner typing at full speed, and labels typed while the ones before are processed (their
// pauses let the keys in): every line arrives whole, once, in order, a refused one included.
TEST_F(frmMainManualEntryTest, LinesTypedWhileOthersAreProcessedAllArriveWholeInOrder)
{
    QStringList lines;
    for (int i = 1; i <= 10; ++i)
        lines << QStringLiteral("%12PANEL%1 N X %").arg(i);
    qsizetype next = 1;
    const auto typeLine = [&] {
        QTest::keyClicks(text, lines[next++].toLower());
        QTest::keyClick(text, Qt::Key_Return);
    };
    dispatcher.during = [&] {
        dispatcher.accept = dispatcher.labels.last() != "HALF AND REST";
        if (dispatcher.labels.size() == 1) {
            typeLine();
            typeLine();
            QTest::keyClicks(text, "half ");
        } else if (dispatcher.labels.size() == 2) {
            QTest::keyClicks(text, "and rest");
            QTest::keyClick(text, Qt::Key_Return);
        } else if (next < lines.size()) {
            typeLine();
        }
    };
    type(lines[0].toLower());
    QTest::keyClick(text, Qt::Key_Return);

    EXPECT_EQ(dispatcher.labels, lines.mid(0, 3) + QStringList{"HALF AND REST"} + lines.mid(3));
    expectReadyForTheNext();
}

// The scanner's suffix typed ends a line as Enter does; the LF of a CR LF ends nothing more.
TEST_F(frmMainManualEntryTest, TheScannersSuffixEndsATypedLine)
{
    station.Config().Suffix = ScanSuffix(ScanSuffix::Kind::Tab);
    type("p1\tp2\t");
    EXPECT_EQ(dispatcher.labels, (QStringList{"P1", "P2"}));
    expectReadyForTheNext();

    dispatcher.labels.clear();
    station.Config().Suffix = ScanSuffix(ScanSuffix::Kind::CRLF);
    for (const char* label : {"p3", "p4"}) {
        QTest::keyClicks(text, label);
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClick(text, Qt::Key_J, Qt::ControlModifier);
    }
    QTest::keyClicks(text, "p5");
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClick(text, Qt::Key_Return);
    station.Config().Suffix = ScanSuffix(ScanSuffix::Kind::LF);
    QTest::keyClicks(text, "p6");
    QTest::keyClick(text, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(dispatcher.labels, (QStringList{"P3", "P4", "P5", "P6"}));
    expectReadyForTheNext();
    QTest::keyClick(text, Qt::Key_Return); // an Enter of the operator's own still leaves
    expectIdle();
}

} // namespace
