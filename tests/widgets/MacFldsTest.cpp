#include "autosel/AutoSelectRules.h"
#include "autosel/MirrorTrigger.h"
#include "autosel/windows/MacFlds.h"
#include "config/Configuration.h"
#include "listmgr/FieldCodeTable.h"
#include "scan/ScanFields.h"
#include "scan/ScanProcessing.h"
#include "StationWindow.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using Source = AutoSelectRules::Source;

const char* const fileOrder[] = {"SFN", "SFM", "SFS", "SFA", "SFT", "SFR", "BFN", "BFM", "FFN", "FFM",
                                 "BFS", "BFA", "BFT", "BFR", "FFS", "FFA", "FFT", "FFR", "DFN"};
const char* const standardFlags[] = {"SFScb", "SFAcb", "SFTcb", "SFRcb"};
const char* const frontBackFlags[] = {"FFNcb", "FFMcb", "BFNcb", "BFMcb", "FFScb", "FFAcb",
                                      "FFTcb", "FFRcb", "BFScb", "BFAcb", "BFTcb", "BFRcb"};

class MacFldsTest : public testing::Test {
protected:
    void configure(const QByteArray& body) { config.IniFilePath = env.Write(path(), "[GESTBCOD]\r\n" + body); }
    QString path() const { return env.Root() + "/ZEM.INI"; }
    static QStringList fieldCodes()
    {
        FieldCodeTable table;
        table.InitFieldCodeTable();
        return table.Codes();
    }
    QByteArray file() const { return TestEnvironment::Read(path()).replace("\r\n", "\n"); }

    MacFlds& open()
    {
        if (!dialog)
            dialog = std::make_unique<MacFlds>(rules, fieldCodes(), fields.LastProgramName, fields.LastComment);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    template <typename T = QWidget>
    T* find(const char* name) const
    {
        T* widget = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // A mouse click on the indicator of an option or check box.
    void click(const char* name) const
    {
        auto* button = find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    void press(const char* name) const { find<QPushButton>(name)->click(); }
    void type(const char* name, const QString& text) const
    {
        auto* edit = find<QLineEdit>(name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    QString display() const { return find<QLabel>("LabDispStr")->text(); }
    QString left() const { return find<QLabel>("PosDispLeft")->text(); }
    QString right() const { return find<QLabel>("PosDispRight")->text(); }
    QScrollBar* scroll() const { return find<QScrollBar>("PosScroll"); }
    bool checked(const char* name) const { return find<QAbstractButton>(name)->isChecked(); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    Configuration config{boxes};
    AutoSelectRules rules{config};
    ScanFields fields;
    std::unique_ptr<MacFlds> dialog;
};

TEST_F(MacFldsTest, AnEmptyConfigurationOpensWithBarcodeMirrorFromLeftAndNothingTicked)
{
    configure("");
    MacFlds& d = open();
    EXPECT_EQ(d.windowTitle(), "Automatic Field Selection Setup");
    auto* tabs = find<QTabWidget>("TabSetup");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), "Auto Field Select");
    EXPECT_EQ(tabs->tabText(1), "Standard Fields");
    EXPECT_EQ(tabs->tabText(2), "Front and Back");
    EXPECT_EQ(tabs->tabText(3), "Field Limits");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(tabs->hasFocus() || tabs->isAncestorOf(QApplication::focusWidget()));

    EXPECT_EQ(find<QRadioButton>("MPName")->text(), "Program Name");
    EXPECT_EQ(find<QRadioButton>("MCmt")->text(), "Comment");
    EXPECT_EQ(find<QRadioButton>("MBC")->text(), "Barcode");
    EXPECT_EQ(find<QRadioButton>("MSel")->text(), "Mirror");
    EXPECT_EQ(find<QRadioButton>("NMSel")->text(), "Norm and Mirror");
    EXPECT_EQ(find<QRadioButton>("OptAlnL")->text(), "From Left");
    EXPECT_EQ(find<QRadioButton>("OptAlnR")->text(), "From Right");
    EXPECT_EQ(find<QGroupBox>("FrameTSet")->title(), "Set Characters to Trigger Mirror ");
    EXPECT_EQ(find<QGroupBox>("fraOnMatch")->title(), "On Match Produce: ");
    EXPECT_EQ(find<QGroupBox>("fraMirror")->title(), "Mirror");
    EXPECT_EQ(find<QGroupBox>("fraDefault")->title(), "Default Field");
    EXPECT_TRUE(checked("MBC"));
    EXPECT_TRUE(checked("MSel"));
    EXPECT_TRUE(checked("OptAlnL"));
    EXPECT_EQ(display(), QString(24, '?'));
    // With Barcode there is no trigger to set.
    for (const char* name : {"FrameTSet", "PosScroll", "LabDispStr", "MSpec", "PosDispLeft", "PosDispRight"})
        EXPECT_FALSE(find(name)->isEnabled()) << name;

    for (const char* suffix : fileOrder) {
        auto* code = find<QLineEdit>(suffix);
        EXPECT_TRUE(code->text().isEmpty()) << suffix;
        const bool wide = QByteArray(suffix).startsWith("FF") && !QByteArray(suffix).endsWith('N') &&
                          !QByteArray(suffix).endsWith('M');
        EXPECT_EQ(code->maxLength(), wide ? 5 : 3) << suffix;
        const bool hasFlag = !AutoSelectRules::AlwaysEnabled(suffix);
        auto* flag = dialog->findChild<QCheckBox*>(QLatin1String(suffix) + "cb");
        EXPECT_EQ(flag != nullptr, hasFlag) << suffix;
        if (flag) {
            EXPECT_EQ(flag->checkState(), Qt::Unchecked) << suffix;
        }
    }
    EXPECT_TRUE(find<QLineEdit>("HlfLimX")->text().isEmpty());
    EXPECT_TRUE(find<QLineEdit>("HlfLimY")->text().isEmpty());
    EXPECT_EQ(find<QLineEdit>("HlfLimX")->maxLength(), 32767);
    EXPECT_EQ(find<QLineEdit>("MSpec")->maxLength(), 32767);

    EXPECT_EQ(find<QPushButton>("BtnOK")->toolTip(), "Exit and keep changes");
    EXPECT_EQ(find<QPushButton>("BtnCan")->toolTip(), "Exit and loose changes");
    EXPECT_EQ(find<QPushButton>("BtnClearAll")->text(), "Clear All");
    EXPECT_EQ(find<QPushButton>("BtnClearAll")->toolTip(), "Disable all fields on this tab");
    EXPECT_EQ(find<QPushButton>("BtnSetAll")->text(), "Set All");
    EXPECT_EQ(find<QPushButton>("BtnSetAll")->toolTip(), "Enable all fields on this tab");
    EXPECT_TRUE(find("BtnClearAll")->isHidden());
    EXPECT_TRUE(find("BtnSetAll")->isHidden());
}

TEST_F(MacFldsTest, TheTriggerDisplayFollowsTextPositionAndAlignment)
{
    configure("");
    open();
    click("MPName");
    EXPECT_EQ(display(), QString(12, '?'));
    EXPECT_EQ(scroll()->maximum(), 13);
    EXPECT_EQ(scroll()->value(), 1);
    EXPECT_EQ(left(), "1 From Left");
    EXPECT_EQ(right(), "13 From Right");
    // A rule never stored counts from the right.
    EXPECT_TRUE(checked("OptAlnR"));
    EXPECT_TRUE(find("PosDispLeft")->isHidden());
    EXPECT_FALSE(find("PosDispRight")->isHidden());
    click("OptAlnL");
    EXPECT_FALSE(find("PosDispLeft")->isHidden());
    EXPECT_TRUE(find("PosDispRight")->isHidden());
    EXPECT_TRUE(rules.ActiveRule()->FromLeft());

    scroll()->setValue(12);
    EXPECT_EQ(left(), "12 From Left");
    // Beyond the display: what was shown stays.
    scroll()->setValue(13);
    EXPECT_EQ(display(), QString(12, '?'));
    EXPECT_EQ(left(), "12 From Left");
    EXPECT_EQ(right(), "2 From Right");
    EXPECT_EQ(rules.ActiveRule()->Position, 13);

    // Only what fits is shown; the display never grows.
    type("MSpec", "XYZ");
    EXPECT_EQ(scroll()->maximum(), 10);
    EXPECT_EQ(scroll()->value(), 10);
    EXPECT_EQ(display(), QString(9, '?') + "XYZ");
    click("OptAlnR");
    EXPECT_TRUE(find("PosDispLeft")->isHidden());
    EXPECT_FALSE(find("PosDispRight")->isHidden());
    EXPECT_EQ(right(), "1 From Right");
    EXPECT_FALSE(rules.ActiveRule()->FromLeft());

    click("MCmt");
    type("MSpec", "AB");
    scroll()->setValue(24);
    EXPECT_EQ(scroll()->maximum(), 24);
    EXPECT_EQ(display(), QString(23, '?') + "AB");
    EXPECT_EQ(display().size(), 25);
    EXPECT_EQ(left(), "24 From Left");
    EXPECT_EQ(right(), "1 From Right");
    EXPECT_EQ(rules.ActiveRule(), &rules.Rule(Source::Comment, true));
    EXPECT_EQ(rules.ActiveRule()->Text, "AB");

    click("MBC");
    EXPECT_FALSE(find("MSpec")->isEnabled());
}

TEST_F(MacFldsTest, ADoubleClickOnTheDisplayShowsTheLastProgramNameOrComment)
{
    configure("");
    fields.LastProgramName = "PART01";
    fields.LastComment = "DOOR LEFT";
    open();
    auto* label = find<QLabel>("LabDispStr");
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(display(), QString(24, '?')); // with Barcode there is nothing to show
    click("MPName");
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(display(), "PART01");
    type("MSpec", "P");
    EXPECT_EQ(display(), "P" + QString(11, '?'));
    click("MCmt");
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(display(), "DOOR LEFT");
}

TEST_F(MacFldsTest, SwitchingSourceOrOutcomeKeepsTheRuleJustEdited)
{
    configure("CommentMirrorCPos=20\nCommentMirrorText=Q\n");
    open();
    click("MPName");
    type("MSpec", "ABCDEFGHIJ"); // maximum 3
    scroll()->setValue(2);
    click("OptAlnR");
    click("MCmt");
    EXPECT_EQ(find<QLineEdit>("MSpec")->text(), "Q");
    // The comment rule keeps its own position, not cut to the program name's maximum.
    EXPECT_EQ(scroll()->value(), 20);
    EXPECT_EQ(scroll()->maximum(), 25);
    click("MPName");
    EXPECT_EQ(find<QLineEdit>("MSpec")->text(), "ABCDEFGHIJ");
    EXPECT_EQ(scroll()->value(), 2);
    EXPECT_TRUE(checked("OptAlnR"));

    // By keys too: the outcome and the rule edited are stored before the selection moves.
    click("NMSel");
    type("MSpec", "NM");
    auto* mirror = find<QRadioButton>("MSel");
    mirror->setFocus();
    find<QRadioButton>("NMSel")->setFocus();
    QTest::keyClick(find<QRadioButton>("NMSel"), Qt::Key_Up);
    EXPECT_TRUE(checked("MSel"));
    EXPECT_EQ(find<QLineEdit>("MSpec")->text(), "ABCDEFGHIJ");
    EXPECT_EQ(rules.Rule(Source::ProgramName, false).Text, "NM");
    EXPECT_EQ(rules.PNameMSel(), 0); // Norm and Mirror was shown for the program name

    find<QRadioButton>("MPName")->setFocus();
    QTest::keyClick(find<QRadioButton>("MPName"), Qt::Key_Right);
    EXPECT_TRUE(checked("MCmt"));
    EXPECT_EQ(rules.PNameMSel(), 1);
    EXPECT_EQ(find<QLineEdit>("MSpec")->text(), "Q");
}

TEST_F(MacFldsTest, SetAllAndClearAllWorkOnTheFieldsOfTheirTabOnly)
{
    configure("");
    open();
    auto* tabs = find<QTabWidget>("TabSetup");
    tabs->setCurrentIndex(1);
    EXPECT_FALSE(find("BtnSetAll")->isHidden());
    EXPECT_FALSE(find("BtnClearAll")->isHidden());
    press("BtnSetAll");
    for (const char* flag : standardFlags)
        EXPECT_TRUE(checked(flag)) << flag;
    for (const char* flag : frontBackFlags)
        EXPECT_FALSE(checked(flag)) << flag;
    EXPECT_TRUE(rules.IsEnabled("SFR"));
    EXPECT_FALSE(rules.IsEnabled("FFR"));

    tabs->setCurrentIndex(2);
    press("BtnSetAll");
    for (const char* flag : frontBackFlags)
        EXPECT_TRUE(checked(flag)) << flag;
    press("BtnClearAll");
    for (const char* flag : frontBackFlags)
        EXPECT_FALSE(checked(flag)) << flag;
    for (const char* flag : standardFlags)
        EXPECT_TRUE(checked(flag)) << flag;
    EXPECT_FALSE(rules.IsEnabled("BFS"));

    for (int tab : {0, 3}) {
        tabs->setCurrentIndex(tab);
        EXPECT_TRUE(find("BtnSetAll")->isHidden());
        EXPECT_TRUE(find("BtnClearAll")->isHidden());
        press("BtnClearAll"); // hidden, and would do nothing here
        EXPECT_TRUE(checked("SFScb"));
    }
}

TEST_F(MacFldsTest, OkWritesEveryKeyInOrderWithTheCodesUpperCased)
{
    configure("");
    open();
    type("SFN", "n1");
    type("FFS", "s1/");
    type("DFN", "a1");
    click("SFScb");
    click("BFMcb");
    type("HlfLimX", "1500");
    type("HlfLimY", "650 mm");
    click("MPName");
    click("NMSel");
    type("MSpec", "sx");
    scroll()->setValue(4);
    click("OptAlnR");
    press("BtnOK");
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_TRUE(rules.Save()); // as the main window has the station do after OK
    EXPECT_EQ(find<QLineEdit>("SFN")->text(), "n1"); // the box keeps what was typed

    QByteArray expected = "[GESTBCOD]\n";
    for (const char* suffix : fileOrder) {
        const QByteArray s(suffix);
        const QByteArray code = s == "SFN" ? "N1" : s == "FFS" ? "S1/" : s == "DFN" ? "A1" : "";
        const bool on = AutoSelectRules::AlwaysEnabled(suffix) || s == "SFS" || s == "BFM";
        expected += "FieldCode_" + s + "=" + code + "\nFieldFlag_" + s + (on ? "= 1\n" : "= 0\n");
    }
    expected += "HalfLimitX=1500\nHalfLimitY=650 mm\nAutoSelSetting=1\n"
                "PNameMirrorLR=0\nPNameMirrorCPos=1\nPNameMirrorText=\n"
                "PNameNandMLR=0\nPNameNandMCPos=4\nPNameNandMText=sx\n"
                "CommentMirrorLR=0\nCommentMirrorCPos=0\nCommentMirrorText=\n"
                "CommentNandMLR=0\nCommentNandMCPos=0\nCommentNandMText=\n"
                "PNameMSel=0\nCommentMSel=0\n";
    EXPECT_EQ(file(), expected);
}

TEST_F(MacFldsTest, OkStaysOpenOnAValueThatCannotBeUsedAndSaysWhichAndWhy)
{
    configure("HalfLimitX=abc\n");
    open();
    auto* tabs = find<QTabWidget>("TabSetup");
    auto* problem = find<QLabel>("lblProblem");
    EXPECT_TRUE(problem->isHidden());
    press("BtnOK");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(problem->isHidden());
    EXPECT_TRUE(problem->text().contains("Half-table limit X: \"abc\" does not begin with a number")) << problem->text().toStdString();
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_EQ(QApplication::focusWidget(), find("HlfLimX"));
    EXPECT_TRUE(env.LogLines().join('\n').contains("automatic field selection not kept: Half-table limit X"));

    // The message follows the corrections and goes when every value can be used.
    type("HlfLimY", "12345678901234567890123");
    EXPECT_TRUE(problem->text().startsWith("Half-table limit X: ")) << problem->text().toStdString();
    type("HlfLimX", "650 mm");
    EXPECT_TRUE(problem->text().startsWith("Half-table limit Y: \"12345678901234567890123\" is more than 99999 mm"))
        << problem->text().toStdString();
    type("HlfLimY", "1500");
    EXPECT_TRUE(problem->isHidden());

    // A trigger too long for the display, which once left a negative position to be saved.
    tabs->setCurrentIndex(0);
    click("MPName");
    type("MSpec", "ABCDEFGHIJKLM");
    EXPECT_GE(rules.ActiveRule()->Position, 1);
    press("BtnOK");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(problem->text().contains("\"ABCDEFGHIJKLM\" is 13 characters long")) << problem->text().toStdString();
    EXPECT_EQ(QApplication::focusWidget(), find("MSpec"));
    QTest::keyClick(find<QLineEdit>("MSpec"), Qt::Key_End);
    QTest::keyClick(find<QLineEdit>("MSpec"), Qt::Key_Backspace);
    EXPECT_TRUE(problem->isHidden());

    // A code the list manager does not know, which the next line would have carried; any letter
    // case of a known one is fine.
    type("FFR", "QQQ");
    press("BtnOK");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(problem->text().startsWith("Field FFR: \"QQQ\" is not a field code of the list manager. Use one of "
                                           "N M S A T R N1 M1 S1 A1 T1 R1 N/ ")) << problem->text().toStdString();
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(QApplication::focusWidget(), find("FFR"));
    type("FFR", "r/1");
    EXPECT_TRUE(problem->isHidden());
    type("DFN", "x");
    press("BtnOK");
    EXPECT_TRUE(problem->text().startsWith("Default field: \"X\" is not a field code")) << problem->text().toStdString();
    find<QLineEdit>("DFN")->clear();
    press("BtnOK");
    EXPECT_TRUE(dialog->isHidden());
    ASSERT_TRUE(rules.Save());
    for (const char* line : {"HalfLimitX=650 mm\n", "HalfLimitY=1500\n", "PNameMirrorText=ABCDEFGHIJKL\n", "PNameMirrorCPos=1\n"})
        EXPECT_TRUE(file().contains(line)) << line;
}

TEST_F(MacFldsTest, CancelWritesNothingAndPutsTheRulesBackAsTheyWere)
{
    configure("FieldCode_SFS=S1\nFieldFlag_SFS=1\nAutoSelSetting=2\nCommentMSel=1\nCommentMirrorText=K\n");
    const QByteArray before = file();
    open();
    type("SFS", "zz");
    click("SFScb");
    type("MSpec", "KX");
    click("MPName");
    EXPECT_EQ(rules.Field("SFS").Code, "ZZ"); // in force while the dialog is open, upper-cased as typed
    press("BtnCan");
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_EQ(file(), before);
    EXPECT_EQ(rules.Field("SFS").Code, "S1");
    EXPECT_TRUE(rules.IsEnabled("SFS"));
    EXPECT_EQ(rules.TriggerSource(), Source::Comment);
    EXPECT_EQ(rules.ActiveRule()->Text, "K");

    // Opened again, the same dialog shows what is in force.
    open();
    EXPECT_EQ(find<QLineEdit>("SFS")->text(), "S1");
    EXPECT_TRUE(checked("SFScb"));
    EXPECT_TRUE(checked("MCmt"));
    EXPECT_EQ(find<QLineEdit>("MSpec")->text(), "K");
    EXPECT_EQ(display(), "K" + QString(24, '?'));
    // Escape is a Cancel as well.
    type("SFS", "yy");
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_EQ(rules.Field("SFS").Code, "S1");
}

TEST_F(MacFldsTest, StoredValuesTheBoxesCannotHoldAreShownAndKeptWhole)
{
    configure("FieldCode_SFS=LONGER\nFieldFlag_SFA=2\nAutoSelSetting=1\nPNameMSel=0\n"
              "PNameNandMLR=-1\nPNameNandMCPos=30\nPNameNandMText=AB\n");
    open();
    EXPECT_EQ(find<QLineEdit>("SFS")->text(), "LONGER");
    EXPECT_EQ(rules.Field("SFS").Code, "LONGER");
    EXPECT_EQ(find<QCheckBox>("SFAcb")->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(rules.IsEnabled("SFA"));
    click("SFAcb");
    EXPECT_EQ(find<QCheckBox>("SFAcb")->checkState(), Qt::Checked);
    EXPECT_TRUE(rules.IsEnabled("SFA"));
    click("SFAcb");
    EXPECT_EQ(find<QCheckBox>("SFAcb")->checkState(), Qt::Unchecked);

    // The loaded rule is shown at once, its position brought into range.
    EXPECT_TRUE(checked("MPName"));
    EXPECT_TRUE(checked("NMSel"));
    EXPECT_EQ(scroll()->value(), 11);
    EXPECT_EQ(display(), QString(10, '?') + "AB");
    EXPECT_EQ(left(), "11 From Left");
}

class MacFldsMenuTest : public testing::Test {
protected:
    MacFldsMenuTest() { env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n"); }

    // Triggers the menu action and lets the operator act on the modal window it opens.
    static void whileOpen(QAction* action, const std::function<void(QWidget&)>& operate)
    {
        bool reached = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr) << action->objectName().toStdString();
            reached = true;
            operate(*modal);
        });
        action->trigger();
        EXPECT_TRUE(reached) << action->objectName().toStdString();
    }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeSerialPort port;
    FakeProcessExit exit;
    Station::Services services{boxes, instances, pauser, exit, {"tarvex", "NOAPP"}, &port};
};

TEST_F(MacFldsMenuTest, TheMenuOpensOneDialogWhoseEditsTheScanProcessingUsesAtOnce)
{
    StationWindow opened(services);
    frmMain& window = opened.window;
    ASSERT_TRUE(window.Form_Load());
    auto* menu = window.findChild<QAction*>("MnuAutoFld");
    ASSERT_TRUE(menu->isEnabled());

    QPointer<QWidget> first;
    whileOpen(menu, [&](QWidget& d) {
        first = &d;
        EXPECT_EQ(d.objectName(), "MacFlds");
        d.findChild<QRadioButton*>("MPName")->click();
        d.findChild<QRadioButton*>("OptAlnL")->click();
        auto* trigger = d.findChild<QLineEdit*>("MSpec");
        QTest::keyClicks(trigger, "x");
        d.findChild<QLineEdit*>("SFS")->setText("s1");

        // A scan processed while the dialog is open uses the rule not yet saved.
        MirrorTrigger test(opened.station.Processing().Rules());
        EXPECT_EQ(test.TestMirrorTrigger(" xa12 ", QString()), MirrorTrigger::Outcome::Mirrored);
        EXPECT_EQ(test.TestMirrorTrigger("AX12", QString()), MirrorTrigger::Outcome::Normal);
        EXPECT_EQ(opened.station.Processing().Rules().Field("SFS").Code, "S1");
        d.findChild<QPushButton*>("BtnOK")->click();
    });
    ASSERT_FALSE(first.isNull()); // hidden, not destroyed
    EXPECT_TRUE(first->isHidden());
    EXPECT_TRUE(TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI").contains("FieldCode_SFS=S1\r\n"));

    whileOpen(menu, [&](QWidget& d) {
        EXPECT_EQ(&d, first.data());
        EXPECT_EQ(d.findChild<QLineEdit*>("MSpec")->text(), "x");
        d.findChild<QPushButton*>("BtnCan")->click();
    });

    // Closing the main window unloads it.
    window.close();
    EXPECT_TRUE(first.isNull());
}

TEST_F(MacFldsMenuTest, AnOkThatCannotSaveIsReportedAndTheEditsStayInForce)
{
    StationWindow opened(services);
    frmMain& window = opened.window;
    ASSERT_TRUE(window.Form_Load());
    // A folder that cannot be created: a file stands in its place.
    env.Write(env.Root() + "/file", "");
    opened.station.Config().IniFilePath = env.Root() + "/file/folder/ZEM.INI";
    whileOpen(window.findChild<QAction*>("MnuAutoFld"), [](QWidget& d) {
        d.findChild<QLineEdit*>("HlfLimX")->setText("900");
        d.findChild<QPushButton*>("BtnOK")->click();
    });
    EXPECT_TRUE(opened.station.State().Status().startsWith("Could not save the automatic field selection to ")) << opened.station.State().Status().toStdString();
    EXPECT_EQ(opened.station.Processing().Rules().HalfLimitX(), "900");
}

TEST_F(MacFldsMenuTest, EveryMenuItemReachesItsWindow)
{
    StationWindow opened(services);
    frmMain& window = opened.window;
    ASSERT_TRUE(window.Form_Load());
    for (QAction* top : window.menuBar()->actions()) {
        ASSERT_NE(top->menu(), nullptr);
        for (QAction* item : top->menu()->actions()) {
            if (item->isSeparator() || item->objectName() == "mnuExit")
                continue;
            if (item->objectName() == "mnuProduction") {
                // Greyed while the station keeps no production record.
                EXPECT_EQ(item->isEnabled(), opened.station.Production() != nullptr);
                if (item->isEnabled())
                    item->trigger(); // a window of its own, not modal
                continue;
            }
            EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
            if (item->isCheckable())
                continue; // a setting, no window
            if (item->objectName() == "mnuListManager" || item->objectName() == "mnuGuide" ||
                item->objectName() == "mnuViewLog") {
                item->trigger(); // a window of its own, not modal
                continue;
            }
            whileOpen(item, [](QWidget& w) { static_cast<QDialog&>(w).reject(); });
        }
    }
}

} // namespace
