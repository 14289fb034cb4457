#include "listmgr/LinuxCncClient.h"
#include "listmgr/LinuxCncListManager.h"
#include "listmgr/ListManagerJournal.h"
#include "listmgr/ListManagerLink.h"
#include "platform/RuntimeError.h"
#include "support/EventWait.h"
#include "support/FakeClock.h"
#include "support/FakeLinuxCncrsh.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The run as linuxcncrsh's answers drive it, on a scripted linuxcncrsh and short timings. The
// real LinuxCNC runs the same in tests/linuxcnc; here are the faults it cannot easily show.
class LinuxCncListManagerTest : public testing::Test {
protected:
    LinuxCncListManagerTest() : server(FakeLinuxCncrsh::MakeListManager(rsh)) {}

    // Whatever path a test took, Tarvex never released E-stop nor switched the machine on.
    void TearDown() override
    {
        for (const QString& command : rsh->received) {
            EXPECT_FALSE(command.startsWith("set estop", Qt::CaseInsensitive)) << command.toStdString();
            EXPECT_FALSE(command.startsWith("set machine", Qt::CaseInsensitive)) << command.toStdString();
        }
    }

    static bool until(const std::function<bool()>& condition) { return EventWait::Until(condition); }
    WorkList::State state(int row) const { return server->List().Entries().value(row).state; }
    QStringList journal() const
    {
        QStringList out;
        for (const QString& line : QString::fromUtf8(TestEnvironment::Read(WorkListManager::JournalPath())).split('\n', Qt::SkipEmptyParts))
            out << line.section('\t', 1);
        return out;
    }

    TestEnvironment env;
    FakeLinuxCncrsh* rsh = nullptr;
    std::shared_ptr<LinuxCncListManager> server;
};

TEST_F(LinuxCncListManagerTest, ALinuxCncThatStopsAnsweringIsLostAndTheLineThatRanIsUnknown)
{
    ASSERT_TRUE(until([&] { return server->NewList(); }));
    server->AddLine(ListFields::Read("#161=P1.CNC;#164=1;"));
    server->AddLine(ListFields::Read("#161=P2.CNC;#164=2;"));
    rsh->runPolls = 1000;
    server->Start();
    ASSERT_TRUE(until([&] { return state(0) == WorkList::State::Running; }));

    // The task behind linuxcncrsh died: gets still answer, the heartbeat's set does not.
    rsh->frozen = true;
    ASSERT_TRUE(until([&] { return state(0) == WorkList::State::Unknown; }));
    EXPECT_EQ(state(1), WorkList::State::Waiting);
    EXPECT_EQ(server->RunStateText(), "held: the connection to LinuxCNC was lost");
    EXPECT_TRUE(journal().contains("LinuxCNC\tset optional_stop 1\tno answer: LinuxCNC did not answer \"set optional_stop 1\" within 0.3 s"))
        << journal().join('\n').toStdString();

    // LinuxCNC is started anew, and Tarvex comes back by itself; Start goes on with the waiting line.
    rsh->frozen = false;
    rsh->EndProgram();
    rsh->runPolls = 1;
    const int opens = rsh->opens;
    ASSERT_TRUE(until([&] { return server->IsConnected() && rsh->opens > opens; }));
    server->Start();
    ASSERT_TRUE(until([&] { return state(1) == WorkList::State::Done; }));
    EXPECT_EQ(state(0), WorkList::State::Unknown);
    EXPECT_TRUE(rsh->received.contains("set mdi #164=2 #171=0 #284=0 #280=0 #165=0 #168=0 #169=0 #170=0 #282=0 #283=0"));
    // Passwords go to linuxcncrsh, never to the journal.
    EXPECT_TRUE(rsh->received.contains("set enable EMCTOO"));
    EXPECT_TRUE(journal().filter("EMCTOO").isEmpty());
    EXPECT_TRUE(journal().contains("LinuxCNC\thello *** tarvex 1.0\tHELLO ACK EMCNETSVR 1.1"));
}

TEST_F(LinuxCncListManagerTest, AnAbortLinuxCncRefusesIsToldAndTheProgramEndsOnItsOwnTerms)
{
    ASSERT_TRUE(until([&] { return server->NewList(); }));
    QStringList told;
    QObject listener; // goes before told does
    QObject::connect(server.get(), &WorkListManager::StatusMessage, &listener, [&](const QString& text) { told << text; });
    server->AddLine(ListFields::Read("#161=P1.CNC;"));
    server->AddLine(ListFields::Read("#161=P2.CNC;"));
    rsh->runPolls = 1000;
    server->Start();
    ASSERT_TRUE(until([&] { return state(0) == WorkList::State::Running; }));

    rsh->estop = "ON"; // from now on every set is refused, the abort too
    server->End();
    ASSERT_TRUE(until([&] { return told.contains("LinuxCNC did not abort P1.CNC (line 1): SET ABORT NAK"); })) << told.join('\n').toStdString();
    rsh->EndProgram();
    ASSERT_TRUE(until([&] { return !server->IsRunning(); }));
    EXPECT_EQ(server->List().Entries().value(0).note, "E-stop while it ran");
    EXPECT_EQ(state(1), WorkList::State::Waiting);
}

TEST_F(LinuxCncListManagerTest, StartIsRefusedAtOnceWhenTheMachineIsNotReadyOrNotThere)
{
    ASSERT_TRUE(until([&] { return server->NewList(); }));
    server->AddLine(ListFields::Read("#161=P1.CNC;"));
    rsh->estop = "ON";
    ASSERT_TRUE(until([&] { return server->MachineStateText() == "LinuxCNC at 127.0.0.1:5007: connected, E-stop"; }));
    try {
        server->Start();
        FAIL() << "Start ran on a machine in E-stop";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), RuntimeError::DeviceUnavailable);
        EXPECT_EQ(e.Description(), "LinuxCNC is in E-stop: nothing runs until the operator releases it at the machine.");
    }
    EXPECT_TRUE(rsh->received.filter("set run").isEmpty());
    EXPECT_TRUE(rsh->received.filter("set estop").isEmpty()); // never Tarvex's act
    EXPECT_EQ(journal().last(), "Start\terror 68");

    rsh->reachable = false;
    rsh->Close();
    Q_EMIT rsh->Closed("the connection was closed by the other end");
    ASSERT_TRUE(until([&] { return !server->IsConnected(); }));
    EXPECT_THROW(server->Setpoint(), RuntimeError);
    // Lines are still taken while LinuxCNC is away.
    server->AddLine(ListFields::Read("#161=P2.CNC;"));
    EXPECT_EQ(server->Lines().size(), 2);
}

TEST_F(LinuxCncListManagerTest, AMachineSwitchedOffIsLeftOffWhetherBeforeStartOrDuringAProgram)
{
    ASSERT_TRUE(until([&] { return server->NewList(); }));
    server->AddLine(ListFields::Read("#161=P1.CNC;"));
    server->AddLine(ListFields::Read("#161=P2.CNC;"));
    rsh->machine = "OFF";
    ASSERT_TRUE(until([&] { return server->MachineStateText() == "LinuxCNC at 127.0.0.1:5007: connected, machine off"; }));
    EXPECT_THROW(server->Start(), RuntimeError);

    rsh->machine = "ON";
    ASSERT_TRUE(until([&] { return server->MachineStateText() == "LinuxCNC at 127.0.0.1:5007: connected, idle"; }));
    rsh->runPolls = 1000;
    server->Start();
    ASSERT_TRUE(until([&] { return state(0) == WorkList::State::Running; }));
    rsh->machine = "OFF";
    rsh->EndProgram();
    ASSERT_TRUE(until([&] { return !server->IsRunning(); }));
    EXPECT_EQ(WorkList::StateNote(server->List().Entries().value(0)), "aborted: the machine was switched off while it ran");
    EXPECT_EQ(state(1), WorkList::State::Waiting);
}

TEST_F(LinuxCncListManagerTest, AProgramNameThatWouldBeMoreThanOneCommandFailsItsLineAndNothingOfItIsSent)
{
    ASSERT_TRUE(until([&] { return server->NewList(); }));
    // Each would end "set open" early for a linuxcncrsh, or let a terminal act on it; the last
    // one leaves the program folder. A line holding a control character other than TAB does not
    // even enter the work list; the others are refused by the name check before any command is
    // made of them. The line channel's own refusal is proven on a socket of its own.
    for (const QString& name : {QString("P1.NGC\x1Bset mdi G0 X7"), QString("P1.NGC\x7Fset mdi G0 X7")})
        EXPECT_THROW(server->AddLine(ListFields::Read("#161=" + name + ";#164=1;")), RuntimeError) << name.toStdString();
    EXPECT_TRUE(server->Lines().isEmpty());
    const struct {
        QString name;
        QString note;
    } cases[] = {
        {"P1.NGC\tset mdi G0 X7", "its program name P1.NGC\\x09set mdi G0 X7 holds a control character"},
        {"..\\..\\etc\\P1.NGC", "its program name ..\\..\\etc\\P1.NGC points outside the program folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        server->ClearList();
        server->AddLine(ListFields::Read("#161=" + c.name + ";#164=1;"));
        server->AddLine(ListFields::Read("#161=P2.CNC;"));
        const qsizetype before = rsh->received.size();
        server->Start();
        ASSERT_TRUE(until([&] { return state(0) == WorkList::State::Failed; })) << WorkList::StateNote(server->List().Entries().value(0)).toStdString();
        EXPECT_TRUE(server->List().Entries().value(0).note.contains(c.note)) << server->List().Entries().value(0).note.toStdString();
        EXPECT_EQ(state(1), WorkList::State::Waiting); // the run stopped
        const QStringList sent = rsh->received.mid(before);
        EXPECT_TRUE(sent.filter("set open").isEmpty()) << sent.join('\n').toStdString();
        EXPECT_TRUE(sent.filter("set run").isEmpty());
    }
}

TEST_F(LinuxCncListManagerTest, ALineIsDoneOnlyOnceItsProgramWasSeenAtWorkAndSetRunAnsweredAsSuch)
{
    ASSERT_TRUE(until([&] { return server->NewList(); }));
    const struct {
        const char* what;
        std::function<void(FakeLinuxCncrsh&)> script;
        WorkList::State state;
        QString note;
    } cases[] = {
        // Ended before the first poll: its line number moved, so it ran.
        {"over at once", [](FakeLinuxCncrsh& r) { r.runPolls = 0; }, WorkList::State::Done, ""},
        {"never at work", [](FakeLinuxCncrsh& r) { r.runsNothing = true; }, WorkList::State::Unknown,
         "LinuxCNC acknowledged \"set run\" but then stayed idle, its line number still 0"},
        {"a bare ACK", [](FakeLinuxCncrsh& r) { r.scripted = {{"set run", "ACK"}}; }, WorkList::State::Unknown,
         "LinuxCNC answered \"ACK\" to \"set run\""},
        {"another set's ACK", [](FakeLinuxCncrsh& r) { r.scripted = {{"set run", "SET MODE ACK"}}; }, WorkList::State::Unknown,
         "LinuxCNC answered \"SET MODE ACK\" to \"set run\""},
        // A program still open from before would run in place of the line's.
        {"another program open", [](FakeLinuxCncrsh& r) { r.scripted = {{"get program", "PROGRAM /cnc/OLD.CNC"}}; },
         WorkList::State::Failed, "LinuxCNC did not open /cnc/P1.CNC (PROGRAM /cnc/OLD.CNC)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        rsh->runPolls = 2;
        rsh->runsNothing = false;
        rsh->scripted.clear();
        c.script(*rsh);
        ASSERT_TRUE(until([&] { return server->IsConnected() && !server->IsRunning(); }));
        server->ClearList();
        server->AddLine(ListFields::Read("#161=P1.CNC;"));
        server->Start();
        ASSERT_TRUE(until([&] { return state(0) != WorkList::State::Waiting && state(0) != WorkList::State::Running; }));
        EXPECT_EQ(WorkList::StateText(state(0)), WorkList::StateText(c.state));
        EXPECT_TRUE(server->List().Entries().value(0).note.contains(c.note)) << server->List().Entries().value(0).note.toStdString();
        rsh->scripted.clear();
        server->End(); // a run held by a lost connection ends here
    }
}

TEST(LinuxCncClientTest, WhatLinuxCncSendsIsLoggedAsItCameAndAFloodIsOnlyCounted)
{
    TestEnvironment env;
    FakeLinuxCncrsh rsh;
    ListManagerJournal journal(env.DataFolder() + "/listmanager.log");
    LinuxCncClient::Timing timing;
    timing.reconnectMs = timing.refusedReconnectMs = 50;
    LinuxCncClient client(rsh, LinuxCncSettings(), journal, timing);

    // A garbage answer to hello is no refused password.
    rsh.scripted = {{"hello", "GARBAGE 12"}};
    client.Open();
    ASSERT_TRUE(EventWait::Until([&] { return !env.LogLines().filter("LinuxCNC answered").isEmpty(); }));
    EXPECT_EQ(env.LogLines().filter("WARNING LinuxCNC answered \"GARBAGE 12\" to \"hello *** tarvex 1.0\"").size(), 1)
        << env.LogLines().join('\n').toStdString();
    EXPECT_TRUE(env.LogLines().filter("refused the connect password").isEmpty());

    // Lines nobody asked for: a few are logged, the rest counted once.
    rsh.scripted.clear();
    ASSERT_TRUE(EventWait::Until([&] { return client.IsConnected(); }));
    rsh.SendUnasked("FLOOD", 5000);
    bool answered = false;
    EXPECT_TRUE(client.Send({"get estop"}, [&](const QStringList&) { answered = true; }).isEmpty());
    ASSERT_TRUE(EventWait::Until([&] { return answered; }));
    const QStringList log = env.LogLines();
    EXPECT_EQ(log.filter("LinuxCNC sent \"FLOOD\" unasked").size(), LinuxCncClient::MaxUnaskedLogged);
    EXPECT_EQ(log.filter(QString("LinuxCNC sent %1 more lines unasked").arg(5000 - LinuxCncClient::MaxUnaskedLogged)).size(), 1)
        << log.join('\n').toStdString();
}

TEST_F(LinuxCncListManagerTest, WithLinuxCncUnreachableStartUpGoesOnCollectingLines)
{
    rsh->reachable = false;
    FakeListManagerFactory factory(server);
    FakeClock clock;
    ListManagerLink link(factory, clock);
    FakeMessageBoxes boxes;
    boxes.answers = {MessageBoxes::Answer::Continue};
    InstantPauser pauser;
    EXPECT_EQ(link.Connect(pauser, boxes), ListManagerLink::Outcome::Collecting);
    // The box says what kept LinuxCNC away, and that going on connects in the background.
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, ListManagerLink::MachineWaitText(server->WhyAway()));
    EXPECT_TRUE(boxes.shown[0].text.contains("LinuxCNC at 127.0.0.1:5007: no answer yet.")) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(boxes.shown[0].buttons, MessageBoxes::Buttons::KeepWaitingGoOnExit);
    ASSERT_TRUE(link.HasWorkList());
    link.ExeListObject->AddLine(ListFields::Read("#161=P1.CNC;"));
    EXPECT_EQ(server->Lines(), QStringList({"#161=P1.CNC;"}));

    // Reachable later: connected in the background.
    rsh->reachable = true;
    EXPECT_TRUE(until([&] { return server->IsConnected(); }));
}

} // namespace
