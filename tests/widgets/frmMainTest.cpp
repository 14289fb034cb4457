#include "app/windows/frmAbout.h"
#include "app/windows/frmMain.h"
#include "app/windows/ScanHistoryView.h"
#include "platform/UnattendedMessageBoxes.h"
#include "StationWindow.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class frmMainTest : public testing::Test {
protected:
    std::unique_ptr<StationWindow> start(const QStringList& args = {"tarvex"})
    {
        auto opened = std::make_unique<StationWindow>(Station::Services{boxes, instances, pauser, exit, args, &port});
        loaded = opened->window.Form_Load();
        return opened;
    }
    template <typename T>
    static T* find(QObject& w, const char* name)
    {
        return w.findChild<T*>(QLatin1String(name));
    }
    void configure(const QByteArray& body) { env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n" + body); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeSerialPort port;
    FakeProcessExit exit;
    bool& ended = exit.ended;
    bool loaded = false;
    int& exitCode = exit.code;
};

TEST_F(frmMainTest, EveryControlHasItsNameCaptionAndInitialState)
{
    configure("");
    auto w = start();
    EXPECT_EQ(w->window.windowTitle(), "Tarvex");
    EXPECT_EQ(find<QCheckBox>(w->window, "AClear")->text(), "Automatic Clear on Scan");
    EXPECT_EQ(find<QCheckBox>(w->window, "Overwrite")->text(), "Overwrite Existing Programs With Program From 2D Barcode");
    EXPECT_EQ(find<QCheckBox>(w->window, "ShowEd")->text(), "Show Program in Editor");
    EXPECT_EQ(find<QCheckBox>(w->window, "AutoStart")->text(), "  Machine Auto Start");
    EXPECT_EQ(find<QTimer>(w->station, "Timer1")->interval(), 1000);
    EXPECT_TRUE(find<QTimer>(w->station, "Timer1")->isActive());
    EXPECT_FALSE(find<QLineEdit>(w->window, "txtEtichetta")->isEnabled());
    EXPECT_EQ(find<QPushButton>(w->window, "cmdEdit")->text(), "Edit");
    EXPECT_TRUE(find<QPushButton>(w->window, "cmdEdit")->isEnabled());
    EXPECT_EQ(find<QPushButton>(w->window, "cmdEndEdit")->text(), "OK");
    EXPECT_FALSE(find<QPushButton>(w->window, "cmdEndEdit")->isEnabled());
    EXPECT_EQ(find<QLabel>(w->window, "lblStatusBar")->text(), "Ready.");
    EXPECT_EQ(find<QLabel>(w->window, "lblCurSettings")->parent(), find<QWidget>(w->window, "picStatusBar"));
    EXPECT_EQ(find<QLabel>(w->window, "DSpin")->text(), "X");
    EXPECT_EQ(find<QLabel>(w->window, "DSpin")->font().family(), "Arial");
    const char* captions[] = {"Load List", "Program", "Dimensions", "Vars A-D", "Vars E-I"};
    for (int i = 0; i < 5; ++i) {
        auto* label = w->window.findChild<QLabel*>(QStringLiteral("LabID(%1)").arg(i));
        ASSERT_NE(label, nullptr) << i;
        EXPECT_EQ(label->text(), captions[i]);
        EXPECT_TRUE(label->isHidden());
    }
    EXPECT_EQ(find<QLabel>(w->window, "LabelAFS")->text(), "Automatic Field Selection");
    EXPECT_TRUE(find<QLabel>(w->window, "LabelAFS")->isHidden());
    EXPECT_TRUE(find<QLabel>(w->window, "ExLab")->text().isEmpty());
}

TEST_F(frmMainTest, ShowEdIsHiddenAndAutoStartTakesItsPlace)
{
    configure("");
    auto w = start();
    w->window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w->window));
    auto* showEd = find<QCheckBox>(w->window, "ShowEd");
    auto* autoStart = find<QCheckBox>(w->window, "AutoStart");
    auto* overwrite = find<QCheckBox>(w->window, "Overwrite");
    EXPECT_TRUE(showEd->isHidden());
    EXPECT_EQ(autoStart->y(), overwrite->y() + overwrite->height() + w->window.centralWidget()->layout()->spacing());
}

TEST_F(frmMainTest, MenusCarryTheirCaptions)
{
    configure("");
    auto w = start();
    EXPECT_EQ(find<QMenu>(w->window, "mnuFile")->title(), "&File");
    EXPECT_EQ(find<QAction>(w->window, "mnuExit")->text(), "E&xit");
    EXPECT_EQ(find<QMenu>(w->window, "mnuOptions")->title(), "&Options");
    EXPECT_EQ(find<QAction>(w->window, "mnuSetttings")->text(), "&Settings");
    EXPECT_EQ(find<QAction>(w->window, "MnuAutoFld")->text(), "&Auto Field Select");
    EXPECT_EQ(find<QAction>(w->window, "ExIns")->text(), "&Exclusion Insertion");
    EXPECT_EQ(find<QMenu>(w->window, "mnuHelp")->title(), "&?");
    EXPECT_EQ(find<QAction>(w->window, "mnuAbout")->text(), "&About Tarvex ...");
}

TEST_F(frmMainTest, TogglesAreSavedAtOnceAndShownAfterARestart)
{
    configure("AutoClear=0\r\n");
    const QString ini = env.ProgramFolder() + "/ZEM.INI";
    {
        auto w = start();
        auto* box = find<QCheckBox>(w->window, "AClear");
        EXPECT_FALSE(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        EXPECT_TRUE(TestEnvironment::Read(ini).contains("AutoClear=1\r\n"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        EXPECT_TRUE(TestEnvironment::Read(ini).contains("AutoClear=0\r\n"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));

        auto* overwrite = find<QCheckBox>(w->window, "Overwrite");
        QTest::mouseClick(overwrite, Qt::LeftButton, {}, QPoint(5, overwrite->height() / 2));
        EXPECT_TRUE(TestEnvironment::Read(ini).contains("Overwrite=0\r\n"));
        auto* autoStart = find<QCheckBox>(w->window, "AutoStart");
        QTest::mouseClick(autoStart, Qt::LeftButton, {}, QPoint(5, autoStart->height() / 2));
        EXPECT_TRUE(TestEnvironment::Read(ini).contains("AutoStart=0\r\n"));
    }
    auto again = start();
    EXPECT_TRUE(find<QCheckBox>(again->window, "AClear")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(again->window, "Overwrite")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(again->window, "AutoStart")->isChecked());
}

TEST_F(frmMainTest, AStoredTwoShowsGreyedOnceAndClicksGiveOneAndZero)
{
    configure("AutoClear=2\r\n");
    const QString ini = env.ProgramFolder() + "/ZEM.INI";
    auto w = start();
    auto* box = find<QCheckBox>(w->window, "AClear");
    EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
    for (const char* stored : {"AutoClear=1\r\n", "AutoClear=0\r\n", "AutoClear=1\r\n"}) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        EXPECT_TRUE(TestEnvironment::Read(ini).contains(stored)) << stored;
        EXPECT_NE(box->checkState(), Qt::PartiallyChecked);
    }
}

TEST_F(frmMainTest, LongTextsAndTheActivityMarkNeitherWidenTheWindowNorMoveTheEntry)
{
    configure("");
    auto w = start();
    w->window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w->window));
    const QSize size = w->window.size();
    auto* edit = find<QPushButton>(w->window, "cmdEdit");
    const QPoint editAt = edit->mapTo(&w->window, QPoint());

    const QString longText = "Label refused: " + QString(400, 'A');
    w->station.State().SetStatus(longText);
    w->station.State().SetActivity(true, "W");
    QCoreApplication::processEvents();
    EXPECT_EQ(w->window.size(), size);
    EXPECT_LE(w->window.minimumSizeHint().width(), size.width());
    EXPECT_EQ(edit->mapTo(&w->window, QPoint()), editAt);
    EXPECT_EQ(w->station.State().Status(), longText);
    EXPECT_EQ(find<QLabel>(w->window, "lblStatusBar")->toolTip(), longText); // the whole text, where it is cut

    w->station.State().SetActivity(false, "W");
    QCoreApplication::processEvents();
    EXPECT_EQ(edit->mapTo(&w->window, QPoint()), editAt);
}

TEST_F(frmMainTest, ARefusedScanStandsOutInTheHistoryAndTheWindowKeepsItsPlace)
{
    configure("FieldCode_DFN=N\r\n");
    {
        auto w = start({"tarvex", "NOAPP"});
        w->window.show();
        QTest::mouseClick(find<QPushButton>(w->window, "cmdEdit"), Qt::LeftButton);
        auto* entry = find<QLineEdit>(w->window, "txtEtichetta");
        QTest::keyClicks(entry, "..\\x");
        QTest::keyClick(entry, Qt::Key_Return);
        entry->clear();
        QTest::keyClicks(entry, "%m%");
        QTest::keyClick(entry, Qt::Key_Return);

        auto* history = find<ScanHistoryView>(w->window, "lstHistory");
        ASSERT_EQ(history->topLevelItemCount(), 2);
        EXPECT_FALSE(history->IsMarkedRefused(0)); // newest first
        EXPECT_EQ(history->topLevelItem(0)->text(2), "field chosen for the next program: M, mirrored");
        EXPECT_TRUE(history->IsMarkedRefused(1));
        EXPECT_TRUE(history->topLevelItem(1)->text(1).contains("..\\X"));
        EXPECT_TRUE(history->topLevelItem(1)->text(2).contains("points outside the program folder"));
        EXPECT_NE(history->topLevelItem(1)->foreground(2), history->topLevelItem(0)->foreground(2));

        w->window.resize(700, 520);
        w->window.close();
    }
    auto again = start({"tarvex", "NOAPP"});
    EXPECT_EQ(again->window.size(), QSize(700, 520));
}

// The indicators and captions coming and going, and rows of every kind, move neither the
// history nor its columns.
TEST_F(frmMainTest, TheHistoryAndItsColumnsStayWhereTheyAre)
{
    configure("FieldCode_DFN=N\r\n");
    auto w = start({"tarvex", "NOAPP"});
    w->window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w->window));
    auto* history = find<ScanHistoryView>(w->window, "lstHistory");
    const auto place = [&] {
        QCoreApplication::processEvents();
        return QList<int>{history->mapTo(&w->window, QPoint()).y(), history->height(), history->columnWidth(0),
                          history->columnWidth(1)};
    };
    const QList<int> before = place();
    StationState& state = w->station.State();
    for (int i = 0; i < StationState::IndicatorCount; ++i)
        state.SetIndicator(i, true);
    state.SetAutoFieldSelection(true);
    EXPECT_EQ(place(), before);
    w->station.Intake().DispatchTyped("..\\X", {});
    w->station.Intake().DispatchTyped("PROGRAM-WITH-A-VERY-LONG-NAME-THAT-IS-NOT-THERE", {});
    state.SetAutoFieldSelection(false);
    state.SetIndicator(0, false);
    EXPECT_EQ(place(), before);
}

// The pane under the history shows the newest scan whole, its reasons first; a row the operator
// picks stays shown while scans come in above it.
TEST_F(frmMainTest, ThePaneShowsTheNewestOrThePickedScanWhole)
{
    configure("FieldCode_DFN=N\r\n");
    auto w = start({"tarvex", "NOAPP"});
    auto* history = find<ScanHistoryView>(w->window, "lstHistory");
    auto* pane = find<QPlainTextEdit>(w->window, "txtScanDetail");
    const auto typed = [&](const QString& label) { w->station.Intake().DispatchTyped(label, {}); };
    typed("..\\" + QString(300, 'L'));
    QStringList lines = pane->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith("points outside the program folder")) << lines[1].toStdString(); // whole

    typed("%A1%");
    EXPECT_TRUE(pane->toPlainText().contains("field chosen for the next program: A1"));
    history->setCurrentItem(history->topLevelItem(1));
    typed("%N%");
    EXPECT_TRUE(pane->toPlainText().contains("points outside the program folder"));
    EXPECT_EQ(history->currentItem(), history->topLevelItem(2));
    history->clearSelection();
    EXPECT_TRUE(pane->toPlainText().contains("field chosen for the next program: N"));
    typed("%S%");
    EXPECT_TRUE(pane->toPlainText().contains("field chosen for the next program: S"));
}

TEST_F(frmMainTest, AToggleThatCannotBeSavedIsReported)
{
    configure("");
    auto w = start();
    // The folder of the file becomes a file, so the temporary file cannot be created.
    w->station.Config().IniFilePath = env.Root() + "/ZEM.INI/nested/ZEM.INI";
    env.Write(env.Root() + "/ZEM.INI", "not a folder");
    auto* box = find<QCheckBox>(w->window, "AClear");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_TRUE(w->station.State().Status().startsWith("Could not save AutoClear"));
    EXPECT_TRUE(env.LogLines().join('\n').contains("could not write AutoClear=0"));
}

TEST_F(frmMainTest, TheAboutBoxShowsTheVersion)
{
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), "About Tarvex");
    EXPECT_EQ(find<QLabel>(about, "lblProdInfo")->text(), "Barcode Manager, Version 9.0.2");
    EXPECT_EQ(find<QPushButton>(about, "cmdOk")->text(), "&Ok");
    EXPECT_NE(find<QLabel>(about, "imgApp"), nullptr);
}

TEST_F(frmMainTest, ClosingRunsTheShutdownAndExitEndsAtOnce)
{
    configure("");
    {
        auto w = start();
        w->window.show();
        w->window.close();
        EXPECT_TRUE(env.LogLines().last().endsWith("shutdown"));
        EXPECT_FALSE(ended);
    }
    auto w = start();
    const int lines = env.LogLines().size();
    find<QAction>(w->window, "mnuExit")->trigger();
    EXPECT_TRUE(ended);
    EXPECT_EQ(exitCode, 0);
    for (const QString& line : env.LogLines().mid(lines))
        EXPECT_FALSE(line.endsWith("shutdown"));
}

TEST_F(frmMainTest, TheCommandLineIsUpperCasedAndNoappFoundAnywhere)
{
    configure("");
    auto w = start({"tarvex", "--station=4", "xnoAppx"});
    EXPECT_EQ(w->station.Run().CommandLine, "--STATION=4 XNOAPPX");
    EXPECT_TRUE(w->station.Run().HasSwitch("NOAPP"));
    EXPECT_TRUE(w->station.Run().FirstScanPending);
    EXPECT_TRUE(env.LogLines().join('\n').contains("NOAPP"));
    EXPECT_EQ(w->station.HelpFile(), env.ProgramFolder() + "\\BRIXEL.HLP");
}

TEST_F(frmMainTest, ASecondInstanceEndsOnlyWhenTheCountIsAboveOne)
{
    configure("");
    instances.count = 2;
    auto second = start();
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(ended);
    EXPECT_EQ(instances.asked, "BarCode");
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, "the BarCode Program is already running!");
    EXPECT_EQ(boxes.shown[0].icon, MessageBoxes::Icon::Warning);
    EXPECT_FALSE(second->station.Run().FirstScanPending);

    ended = false;
    boxes.shown.clear();
    instances.count = 1;
    auto first = start();
    EXPECT_TRUE(loaded);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(frmMainTest, WithoutTheWindowInterfaceTheProgramEnds)
{
    configure("");
    instances.enhanced = false;
    auto w = start();
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(ended);
    EXPECT_EQ(boxes.Texts(), QStringList({"This program requires the enhanced Windows interface"}));
}

TEST_F(frmMainTest, UnattendedStartUpLogsEachMessageBoxInOrder)
{
    UnattendedMessageBoxes unattended;
    Station station({unattended, instances, pauser, exit, {"tarvex", "UNATTENDED"}, &port});
    frmMain w(station);
    EXPECT_TRUE(w.Form_Load());
    QStringList boxesLogged;
    for (const QString& line : env.LogLines()) {
        if (line.contains("message box"))
            boxesLogged << line.section(' ', 1);
    }
    ASSERT_GE(boxesLogged.size(), 2);
    EXPECT_TRUE(boxesLogged[0].startsWith("message box [Tarvex]: File ZEM.INI Not Found\\x0A")) << boxesLogged[0].toStdString();
    EXPECT_EQ(boxesLogged[1], "message box answered OK");
}

} // namespace
