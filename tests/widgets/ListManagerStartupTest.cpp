#include "StationWindow.h"
#include "listmgr/EmbeddedListManager.h"
#include "listmgr/LinuxCncListManager.h"
#include "listmgr/ListManager.h"
#include "platform/EventLoopPauser.h"
#include "platform/UnattendedMessageBoxes.h"
#include "support/FakeClock.h"
#include "support/FakeListManager.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class ListManagerStartupTest : public testing::Test {
protected:
    ListManagerStartupTest() { env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n"); }
    // factory: the list manager start-up connects to; none: the station's own choice.
    std::unique_ptr<StationWindow> window(const QStringList& args = {"tarvex"}, MessageBoxes* messageBoxes = nullptr,
                                          ListManagerFactory* factory = nullptr)
    {
        // Each window gets a port of its own: the real one may be missing or busy, and a port
        // that cannot be opened would wait in the settings dialog.
        ports.push_back(std::make_unique<FakeSerialPort>());
        return std::make_unique<StationWindow>(Station::Services{messageBoxes ? *messageBoxes : boxes, instances, pauser,
                                                                 exit, args, ports.back().get(), nullptr, factory, &clock});
    }
    QWidget* listWindow(frmMain& w) { return w.findChild<QWidget*>("frmListManager"); }
    QString journal() const { return QString::fromUtf8(TestEnvironment::Read(EmbeddedListManager::JournalPath())); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeProcessExit exit;
    bool& ended = exit.ended;
    FakeClock clock{5000};
    std::vector<std::unique_ptr<FakeSerialPort>> ports;
};

TEST_F(ListManagerStartupTest, StartUpConnectsAndTheFieldCodesAreReady)
{
    auto w = window();
    ASSERT_TRUE(w->window.Form_Load());
    EXPECT_TRUE(w->station.ListLink().HasWorkList());
    EXPECT_NE(w->station.ListLink().ListApp, nullptr);
    EXPECT_TRUE(journal().section('\t', 1).startsWith("NewList\n"));
    EXPECT_EQ(w->station.FieldCodes().Position("R/1"), 36);
    EXPECT_TRUE(boxes.shown.isEmpty());

    w->window.close(); // the shutdown drops the application and the fallback, not the work list
    EXPECT_EQ(w->station.ListLink().ListApp, nullptr);
    EXPECT_TRUE(w->station.ListLink().HasWorkList());
}

TEST_F(ListManagerStartupTest, NoappAnywhereInAnyCaseOrServerNoneSkipsTheConnection)
{
    // The third: no switch, but no list manager chosen in the setup.
    for (const QStringList& args : {QStringList{"tarvex", "NOAPP"}, QStringList{"tarvex", "--x", "runNoAppNow"}, QStringList{"tarvex"}}) {
        if (args.size() == 1)
            env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n[ListManager]\r\nServer=none\r\n");
        auto w = window(args);
        ASSERT_TRUE(w->window.Form_Load());
        EXPECT_FALSE(w->station.ListLink().HasWorkList());
        EXPECT_EQ(w->station.ListLink().ListApp, nullptr);
        EXPECT_TRUE(w->station.Run().FirstScanPending);
        // The band says so, and its buttons are off.
        EXPECT_TRUE(w->window.findChild<QLabel*>("lblMachine")->text().startsWith("No list manager"));
        EXPECT_FALSE(w->window.findChild<QWidget*>("cmdStart")->isEnabled());
    }
    EXPECT_FALSE(QFileInfo::exists(EmbeddedListManager::JournalPath()));
}

TEST_F(ListManagerStartupTest, ExitDuringTheWaitEndsTheProcess)
{
    auto server = std::make_shared<FakeListManager>();
    server->listFromAttempt = 0;
    FakeListManagerFactory factory(server);
    auto w = window({"tarvex"}, nullptr, &factory);
    boxes.answers = {MessageBoxes::Answer::Exit};
    EXPECT_FALSE(w->window.Form_Load());
    EXPECT_TRUE(ended);
    EXPECT_FALSE(w->station.Run().FirstScanPending);
}

TEST_F(ListManagerStartupTest, UnattendedTheWaitIsLoggedAndStartUpGoesOnWithout)
{
    UnattendedMessageBoxes unattended;
    auto server = std::make_shared<FakeListManager>();
    server->listFromAttempt = 0;
    FakeListManagerFactory factory(server);
    auto w = window({"tarvex", "UNATTENDED"}, &unattended, &factory);
    EXPECT_TRUE(w->window.Form_Load());
    EXPECT_FALSE(ended);
    EXPECT_FALSE(w->station.ListLink().HasWorkList());
    EXPECT_TRUE(w->station.Run().FirstScanPending);
    const QString log = env.LogLines().join('\n');
    EXPECT_TRUE(log.contains("message box answered Continue"));
    EXPECT_TRUE(log.contains("running without it"));
}

TEST_F(ListManagerStartupTest, TheWindowShowsTheWorkListFromTheMenuAndOnVisible)
{
    auto w = window();
    ASSERT_TRUE(w->window.Form_Load());
    QWidget* list = listWindow(w->window);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->windowTitle(), "List Manager");
    EXPECT_TRUE(list->isHidden());

    auto* server = dynamic_cast<EmbeddedListManager*>(w->station.ListLink().ExeListObject.get());
    ASSERT_NE(server, nullptr);
    server->AddLine(ListFields::Read("#161=forpunte.CNC;#164=1;#171=10;#284=1;#280=;#165=1;#168=600;#169=600;#170=20;#282=;#283=;"));
    server->Start();
    server->Setpoint();

    auto* action = w->window.findChild<QAction*>("mnuListManager");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), "&List Manager");
    action->trigger();
    EXPECT_TRUE(list->isVisible());
    auto* table = list->findChild<QTableWidget*>("lstWorkList");
    ASSERT_EQ(table->rowCount(), 1);
    const QStringList expected{"forpunte.CNC", "A1", "10", "mirrored", "600", "600", "20"};
    for (int column = 0; column < expected.size(); ++column)
        EXPECT_EQ(table->item(0, column)->text(), expected[column]) << column;
    EXPECT_EQ(list->findChild<QLabel*>("lblRunState")->text(), "Run state: running");
    EXPECT_EQ(list->findChild<QLabel*>("lblSetpoints")->text(), "Set-points: 1");

    list->hide();
    server->Visible(true);
    EXPECT_TRUE(list->isVisible());
    server->Clear();
    EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(ListManagerStartupTest, LinuxCncChosenAndAwayStartUpGoesOnAndTheWindowShowsTheMachine)
{
    // Nothing listens on port 9 of the loopback address.
    env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n[ListManager]\r\nServer=LinuxCNC\r\n[LinuxCNC]\r\nPort=9\r\n");
    UnattendedMessageBoxes unattended;
    auto w = window({"tarvex", "UNATTENDED"}, &unattended);
    ASSERT_TRUE(w->window.Form_Load());
    auto* server = dynamic_cast<LinuxCncListManager*>(w->station.ListLink().ExeListObject.get());
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(w->station.ListLink().ListApp.get(), server);
    EXPECT_TRUE(env.LogLines().join('\n').contains("lines are kept, it is connected in the background"));

    server->AddLine(ListFields::Read("#161=P1.CNC;#164=1;#171=1;#284=0;#280=;#165=1;#168=600;#169=400;#170=20;#282=;#283=;"));
    w->window.findChild<QAction*>("mnuListManager")->trigger();
    QWidget* list = listWindow(w->window);
    auto* table = list->findChild<QTableWidget*>("lstWorkList");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->horizontalHeaderItem(7)->text(), "State");
    EXPECT_EQ(table->item(0, 7)->text(), "waiting");
    EXPECT_EQ(list->findChild<QLabel*>("lblRunState")->text(), "Run state: idle");
    EXPECT_TRUE(list->findChild<QLabel*>("lblMachine")->text().startsWith("LinuxCNC at 127.0.0.1:9: not connected"))
        << list->findChild<QLabel*>("lblMachine")->text().toStdString();
}

TEST_F(ListManagerStartupTest, LinuxCncOnAClosedPortTheWindowSaysWhatIsAwaitedThenTheBoxSaysWhy)
{
    env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n[ListManager]\r\nServer=LinuxCNC\r\n[LinuxCNC]\r\nPort=9\r\n");
    // A real pause, so that the refusal comes in; the fake clock ends the wait in a few of them.
    struct WatchedPauser : EventLoopPauser {
        void Pause(double seconds) override
        {
            if (onPause)
                onPause();
            EventLoopPauser::Pause(seconds);
        }
        std::function<void()> onPause;
    } waiting;
    FakeSerialPort port;
    StationWindow w(Station::Services{boxes, instances, waiting, exit, {"tarvex"}, &port, nullptr, nullptr, &clock});
    auto* band = w.window.findChild<QLabel*>("lblMachine");
    bool shownAtOnce = false;
    QString bandWhileWaiting;
    waiting.onPause = [&] {
        if (bandWhileWaiting.isEmpty()) {
            shownAtOnce = w.window.isVisible();
            bandWhileWaiting = band->text();
        }
    };
    boxes.answers = {MessageBoxes::Answer::Continue};
    ASSERT_TRUE(w.window.Form_Load());

    EXPECT_TRUE(shownAtOnce);
    EXPECT_EQ(bandWhileWaiting, QString("Connecting to LinuxCNC at 127.0.0.1:9…"));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains("LinuxCNC cannot be reached at 127.0.0.1:9: Connection refused (nothing listens there"))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(boxes.shown[0].buttons, MessageBoxes::Buttons::KeepWaitingGoOnExit);
    EXPECT_TRUE(boxes.shown[0].text.contains("Go on: scanned lines are kept"));
    // Gone on as the box said: lines are taken, LinuxCNC is still being connected.
    EXPECT_TRUE(w.station.ListLink().HasWorkList());
    EXPECT_EQ(band->text(), QString("Connecting to LinuxCNC at 127.0.0.1:9…"));
}

TEST_F(ListManagerStartupTest, WithoutTheListManagerTheWindowSaysSo)
{
    auto w = window({"tarvex", "NOAPP"});
    ASSERT_TRUE(w->window.Form_Load());
    w->window.findChild<QAction*>("mnuListManager")->trigger();
    EXPECT_TRUE(listWindow(w->window)->findChild<QLabel*>("lblRunState")->text().startsWith("Not connected"));
}

} // namespace
