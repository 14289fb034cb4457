#include "listmgr/WorkListRunner.h"
#include "platform/RuntimeError.h"
#include "support/EventWait.h"
#include "support/ScriptedMachineControl.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using State = MachineControl::State;
using Kind = MachineControl::Reply::Kind;

MachineControl::Reply reply(Kind kind, const QString& text = QString())
{
    MachineControl::Reply r;
    r.kind = kind;
    r.text = text;
    return r;
}

// The run's policy on a scripted control: every path a run can take, each ending in the line
// states and requests it must leave.
class WorkListRunnerTest : public testing::Test {
public: // the cases of a table reach it too
    // A fresh runner on an empty list, connected.
    void make()
    {
        runner.reset();
        WorkListRunner::Timing timing;
        timing.watchPollMs = timing.idlePollMs = timing.setpointPollMs = 5;
        timing.unprovenIdlePolls = 3;
        timing.setpointLimitMs = 100;
        runner = std::make_unique<WorkListRunner>(
            [this](ListManagerJournal&) {
                auto made = std::make_unique<ScriptedMachineControl>();
                control = made.get();
                return made;
            },
            timing);
        told.clear();
        QObject::connect(runner.get(), &WorkListManager::StatusMessage, runner.get(), [this](const QString& text) { told << text; });
        ASSERT_TRUE(until([&] { return runner->IsConnected(); }));
        runner->ClearList();
    }

    static bool until(const std::function<bool()>& condition) { return EventWait::Until(condition); }
    bool idle() { return until([&] { return !runner->IsRunning(); }); }
    bool sent(const QString& request) { return until([&] { return control->journal.contains(request); }); }
    // "P1.CNC done", "P2.CNC failed: why"
    QStringList states() const
    {
        QStringList out;
        for (const WorkList::Entry& entry : runner->List().Entries())
            out << entry.fields.Value(161) + " " + WorkList::StateNote(entry);
        return out;
    }
    QString start()
    {
        try {
            runner->Start();
        } catch (const RuntimeError& e) {
            return e.Description();
        }
        return QString();
    }

    TestEnvironment env;
    std::unique_ptr<WorkListRunner> runner;
    ScriptedMachineControl* control = nullptr;
    QStringList told;
};

TEST_F(WorkListRunnerTest, StartOnAMachineThatIsNotReadyRunsNothing)
{
    const struct {
        const char* what;
        std::function<void(ScriptedMachineControl&)> machine;
        QString why;
    } cases[] = {
        {"E-stop", [](ScriptedMachineControl& c) { c.machine = State::EStop; },
         "LinuxCNC is in E-stop: nothing runs until the operator releases it at the machine."},
        {"off", [](ScriptedMachineControl& c) { c.machine = State::Off; },
         "LinuxCNC's machine is off: nothing runs until the operator switches it on at the machine."},
        {"busy", [](ScriptedMachineControl& c) { c.machine = State::Running; },
         "LinuxCNC is busy (its program is running): nothing of the work list runs meanwhile."},
        {"paused", [](ScriptedMachineControl& c) { c.machine = State::Paused; },
         "LinuxCNC is busy (its program is paused): nothing of the work list runs meanwhile."},
        {"not homed", [](ScriptedMachineControl& c) { c.scripted["TakeParameters"] = {reply(Kind::NotHomed, "machine not homed")}; },
         "LinuxCNC's machine is not homed (machine not homed): nothing runs until it is (Setpoint homes it)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        make();
        runner->AddLine(ListFields::Read("#161=P1.CNC;#164=1;"));
        // The state is first seen by the look Start makes, not by an idle poll before it.
        control->hold = {"Look"};
        c.machine(*control);
        ASSERT_EQ(start(), "");
        control->hold.clear();
        control->Release();
        ASSERT_TRUE(idle());
        EXPECT_TRUE(told.contains(c.why)) << told.join('\n').toStdString();
        EXPECT_EQ(states(), QStringList({"P1.CNC waiting"}));
        EXPECT_TRUE(control->Sent("Run").isEmpty());
        EXPECT_TRUE(control->Sent("Open").isEmpty());

        // Known before Start: refused at once.
        if (c.machine != nullptr && control->machine != State::Idle) {
            ASSERT_TRUE(until([&] { return runner->MachineStateText().contains(", ") && !runner->MachineStateText().endsWith(", idle"); }));
            EXPECT_EQ(start(), QString(c.why).replace("nothing of the work list runs", "nothing runs"));
            EXPECT_TRUE(control->Sent("Run").isEmpty());
        }
    }
}

TEST_F(WorkListRunnerTest, EachPathOfARunLeavesItsLinesAsItMust)
{
    const struct {
        const char* what;
        QStringList lines;
        std::function<void(WorkListRunnerTest&)> act; // from Start on, until the run has ended
        QStringList states;
        int runs; // programs asked to run
    } cases[] = {
        {"plain", {"#161=P1.CNC;", "#161=P2.CNC;"}, [](WorkListRunnerTest& t) { EXPECT_EQ(t.start(), ""); }, {"P1.CNC done", "P2.CNC done"}, 2},
        {"held before it runs",
         {"#161=P1.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->hold = {"Look"};
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Look"));
             t.runner->Hold();
             t.control->hold.clear();
             t.control->Release();
             ASSERT_TRUE(t.until([&] { return t.runner->RunStateText() == "held at P1.CNC (line 1)" && !t.control->Sent("Open").isEmpty(); }));
             EventWait::Until([] { return false; }, 50);
             EXPECT_TRUE(t.control->Sent("Run").isEmpty());
             EXPECT_EQ(t.start(), "");
         },
         {"P1.CNC done"},
         1},
        {"paused at the machine",
         {"#161=P1.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->runWatches = 3;
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Run"));
             t.control->paused = true;
             ASSERT_TRUE(t.until([&] { return t.runner->RunStateText() == "held at P1.CNC (line 1)"; }));
             EXPECT_EQ(t.start(), ""); // resumes it
             ASSERT_TRUE(t.sent("Resume"));
         },
         {"P1.CNC done"},
         1},
        {"program not opened",
         {"#161=P1.CNC;", "#161=P2.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->scripted["Open"] = {reply(Kind::Failed, "LinuxCNC did not open /cnc/P1.CNC (PROGRAM /cnc/OLD.CNC)")};
             EXPECT_EQ(t.start(), "");
         },
         {"P1.CNC failed: LinuxCNC did not open /cnc/P1.CNC (PROGRAM /cnc/OLD.CNC)", "P2.CNC waiting"},
         0},
        {"cleared while it is prepared",
         {"#161=P1.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->hold = {"Open"};
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Open P1.CNC"));
             t.runner->ClearList();
             t.control->Release();
         },
         {},
         0},
        {"End while the program is opened",
         {"#161=P1.CNC;", "#161=P2.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->hold = {"Open"};
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Open P1.CNC"));
             t.runner->End();
             EXPECT_TRUE(t.control->journal.contains("Abort"));
             EXPECT_FALSE(t.runner->IsRunning());
             t.control->Release(); // its late reply changes nothing
         },
         {"P1.CNC waiting", "P2.CNC waiting"},
         0},
        {"a late reply from an earlier run",
         {"#161=P1.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->hold = {"Open"};
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Open P1.CNC"));
             t.runner->End();
             t.control->hold.clear();
             EXPECT_EQ(t.start(), ""); // the next run opens it anew and runs it
             ASSERT_TRUE(t.idle());
             t.control->Release();
             EventWait::Until([] { return false; }, 50);
         },
         {"P1.CNC done"},
         1},
        {"lines added while it runs",
         {"#161=P1.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->runWatches = 5;
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Run"));
             t.runner->AddLine(ListFields::Read("#161=P2.CNC;"));
             EXPECT_EQ(t.start(), ""); // changes nothing
         },
         {"P1.CNC done", "P2.CNC done"},
         2},
        {"ClearList while it runs",
         {"#161=P1.CNC;", "#161=P2.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->runWatches = 5;
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Run"));
             t.runner->ClearList();
         },
         {},
         1},
        {"E-stop during a program",
         {"#161=P1.CNC;", "#161=P2.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->runWatches = 1000;
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Run"));
             t.control->machine = State::EStop;
         },
         {"P1.CNC aborted: E-stop while it ran", "P2.CNC waiting"},
         1},
        {"machine off during a program",
         {"#161=P1.CNC;", "#161=P2.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->runWatches = 1000;
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Run"));
             t.control->machine = State::Off;
         },
         {"P1.CNC aborted: the machine was switched off while it ran", "P2.CNC waiting"},
         1},
        {"End while it runs",
         {"#161=P1.CNC;", "#161=P2.CNC;"},
         [](WorkListRunnerTest& t) {
             t.control->runWatches = 1000;
             EXPECT_EQ(t.start(), "");
             ASSERT_TRUE(t.sent("Run"));
             t.runner->End();
         },
         {"P1.CNC aborted: ended by End", "P2.CNC waiting"},
         1},
        {"never seen at work",
         {"#161=P1.CNC;"},
         [](WorkListRunnerTest& t) {
             MachineControl::Reply unseen;
             unseen.status.state = State::Idle;
             unseen.text = "LinuxCNC stayed idle";
             t.control->scripted["Watch"] = {unseen, unseen, unseen};
             EXPECT_EQ(t.start(), "");
         },
         {"P1.CNC unknown: LinuxCNC stayed idle: whether the program ran is not known"},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        make();
        for (const QString& line : c.lines)
            runner->AddLine(ListFields::Read(line));
        c.act(*this);
        ASSERT_TRUE(idle());
        EXPECT_EQ(states(), c.states) << told.join('\n').toStdString();
        EXPECT_EQ(control->Sent("Run").size(), c.runs) << control->journal.join('\n').toStdString();
    }
}

TEST_F(WorkListRunnerTest, EveryParameterOnceSetIsSetAgainForTheNextProgramAndARefusedLineRunsNothing)
{
    make();
    runner->AddLine(ListFields::Read("#161=P1.CNC;#164=1;#200=5;"));
    runner->AddLine(ListFields::Read("#161=P2.CNC;#164=2;"));
    runner->AddLine(ListFields::Read("#161=P3.CNC;#30=1;"));
    EXPECT_EQ(start(), "");
    ASSERT_TRUE(idle());
    EXPECT_EQ(control->Sent("TakeParameters"),
              QStringList({"TakeParameters #164=1 #200=5 #171=0 #284=0 #280=0 #165=0 #168=0 #169=0 #170=0 #282=0 #283=0",
                           "TakeParameters #164=2 #171=0 #284=0 #280=0 #165=0 #168=0 #169=0 #170=0 #282=0 #283=0 #200=0"}));
    EXPECT_EQ(states().value(2), "P3.CNC failed: field #30 cannot go to LinuxCNC: programs may only be given parameters #31 to #5000");
    EXPECT_EQ(control->Sent("Open"), QStringList({"Open P1.CNC", "Open P2.CNC"}));
}

TEST_F(WorkListRunnerTest, TheSetpointStepKeepsStartAwayAndEndsOrIsGivenUp)
{
    make();
    runner->AddLine(ListFields::Read("#161=P1.CNC;"));
    control->hold = {"WatchSetpoint"};
    runner->Setpoint();
    ASSERT_TRUE(sent("WatchSetpoint"));
    EXPECT_EQ(start(), "LinuxCNC is still running the set-point step; Start again when it has ended.");
    runner->Setpoint(); // changes nothing
    control->hold.clear();
    control->Release();
    ASSERT_TRUE(idle());
    EXPECT_EQ(runner->Setpoints(), 1);
    EXPECT_TRUE(control->Sent("Run").isEmpty());

    // A step whose end never shows is given up, and told.
    control->setpointEnds = false;
    runner->Setpoint();
    ASSERT_TRUE(idle());
    EXPECT_EQ(runner->Setpoints(), 1);
    EXPECT_TRUE(told.last().startsWith("Set-point step failed: LinuxCNC did not finish it within")) << told.last().toStdString();
}

TEST_F(WorkListRunnerTest, ALinkLostInAnyStepHoldsTheRunAndTheRestRunsLater)
{
    const struct {
        QString step;
        QString first; // the first line's state after the loss
    } cases[] = {
        {"ReadMessages", "P1.CNC waiting"},
        {"TakeParameters", "P1.CNC waiting"},
        {"Open", "P1.CNC waiting"},
        {"Run", "P1.CNC unknown: the connection to LinuxCNC was lost while it ran: check the machine (gone)"},
        {"Watch", "P1.CNC unknown: the connection to LinuxCNC was lost while it ran: check the machine (gone)"},
        {"Finish", "P1.CNC unknown: the connection to LinuxCNC was lost while it ran: check the machine (gone)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step.toStdString());
        make();
        runner->AddLine(ListFields::Read("#161=P1.CNC;"));
        runner->AddLine(ListFields::Read("#161=P2.CNC;"));
        control->hold = {c.step};
        EXPECT_EQ(start(), "");
        ASSERT_TRUE(until([&] { return !control->Sent(c.step).isEmpty(); }));
        control->Lose("gone");
        EXPECT_EQ(runner->RunStateText(), "held: the connection to LinuxCNC was lost");
        EXPECT_EQ(states(), QStringList({c.first, "P2.CNC waiting"}));
        EXPECT_EQ(start(), "LinuxCNC is not connected (127.0.0.1:5007): scripted away; the lines are kept, Tarvex connects by itself.");

        control->hold.clear();
        control->Connect();
        EXPECT_EQ(start(), "");
        ASSERT_TRUE(idle());
        EXPECT_EQ(states().value(1), "P2.CNC done");
    }
}

} // namespace
