#include "listmgr/windows/ExInsForm.h"
#include "StationWindow.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class ExInsFormTest : public testing::Test {
protected:
    ExInsFormTest() { env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n"); }

    // Opens the dialog from the menu and lets the operator act on it while it is modal.
    void fromMenu(frmMain& window, const std::function<void(QWidget&)>& operate)
    {
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            operate(*dialog);
        });
        window.findChild<QAction*>("ExIns")->trigger();
    }
    static void tick(QWidget& dialog, int i) { dialog.findChild<QCheckBox*>(QStringLiteral("ExCk(%1)").arg(i))->click(); }
    static void press(QWidget& dialog, const char* button) { dialog.findChild<QPushButton*>(button)->click(); }
    QByteArray ini() const { return TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI"); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeSerialPort port;
    FakeProcessExit exit;
    Station::Services services{boxes, instances, pauser, exit, {"tarvex", "NOAPP"}, &port};
};

TEST_F(ExInsFormTest, TheDialogCarriesItsTextsAndStartsFromTheMask)
{
    ExInsForm dialog("00100001");
    EXPECT_EQ(dialog.windowTitle(), "Exclusion Insertion");
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(),
              "Automatic insertion of an Exclusion number in the List Manager upon scan of barcode.  Select desired "
              "Exclusion number to insert.");
    for (int i = 1; i <= 8; ++i) {
        auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("ExCk(%1)").arg(i));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QString::number(i));
        EXPECT_EQ(box->isChecked(), i == 3 || i == 8) << i;
    }
    ExInsForm fromShort("1");
    EXPECT_TRUE(fromShort.findChild<QCheckBox*>("ExCk(1)")->isChecked());
    EXPECT_FALSE(fromShort.findChild<QCheckBox*>("ExCk(2)")->isChecked());
}

TEST_F(ExInsFormTest, OkSavesTheMaskAndShowsTheChosenNumbers)
{
    StationWindow opened(services);
    frmMain& window = opened.window;
    ASSERT_TRUE(window.Form_Load());
    auto* exLab = window.findChild<QLabel*>("ExLab");

    fromMenu(window, [](QWidget& d) { tick(d, 1); tick(d, 3); press(d, "BtnOK"); });
    EXPECT_TRUE(ini().contains("Exclusion=10100000\r\n"));
    EXPECT_EQ(opened.station.ExclusionMask(), "10100000");
    EXPECT_EQ(exLab->text(), " Exclusion Number 13  for insertion.");
    EXPECT_FALSE(exLab->isHidden());

    fromMenu(window, [](QWidget& d) { tick(d, 1); tick(d, 3); tick(d, 8); press(d, "BtnOK"); });
    EXPECT_TRUE(ini().contains("Exclusion=00000001\r\n"));
    EXPECT_EQ(exLab->text(), " Exclusion Number 8  for insertion.");

    fromMenu(window, [](QWidget& d) { tick(d, 8); press(d, "BtnOK"); });
    EXPECT_TRUE(ini().contains("Exclusion=00000000\r\n"));
    EXPECT_TRUE(exLab->isHidden());
}

TEST_F(ExInsFormTest, CancelChangesNothingAndANewRunStartsEmpty)
{
    {
        StationWindow opened(services);
    frmMain& window = opened.window;
        ASSERT_TRUE(window.Form_Load());
        fromMenu(window, [](QWidget& d) { tick(d, 2); press(d, "BtnOK"); });
        const QByteArray saved = ini();
        fromMenu(window, [](QWidget& d) {
            EXPECT_TRUE(d.findChild<QCheckBox*>("ExCk(2)")->isChecked());
            tick(d, 5);
            press(d, "BtnCan");
        });
        EXPECT_EQ(ini(), saved);
        EXPECT_EQ(opened.station.ExclusionMask(), "01000000");
        EXPECT_EQ(window.findChild<QLabel*>("ExLab")->text(), " Exclusion Number 2  for insertion.");
    }
    StationWindow reopened(services);
    frmMain& again = reopened.window;
    ASSERT_TRUE(again.Form_Load());
    EXPECT_TRUE(reopened.station.ExclusionMask().isEmpty());
    fromMenu(again, [](QWidget& d) {
        for (int i = 1; i <= 8; ++i)
            EXPECT_FALSE(d.findChild<QCheckBox*>(QStringLiteral("ExCk(%1)").arg(i))->isChecked());
        press(d, "BtnCan");
    });
}

} // namespace
