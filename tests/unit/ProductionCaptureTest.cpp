#include "app/ProductionCapture.h"
#include "listmgr/WorkListRunner.h"
#include "support/EventWait.h"
#include "support/KeptRecords.h"
#include "support/ScanRig.h"
#include "support/ScriptedMachineControl.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

MachineControl::Reply reply(MachineControl::State state, const QStringList& messages = {})
{
    MachineControl::Reply r;
    r.status.state = state;
    r.messages = messages;
    return r;
}

// The real scan processing putting lines on a work list that a runner runs on a scripted
// machine, and the capture following it.
class ProductionCaptureTest : public testing::Test {
protected:
    ProductionCaptureTest()
        : rig([this] {
              WorkListRunner::Timing timing;
              timing.watchPollMs = timing.idlePollMs = timing.setpointPollMs = 5;
              runner = std::make_shared<WorkListRunner>(
                  [this](ListManagerJournal&) {
                      auto made = std::make_unique<ScriptedMachineControl>();
                      control = made.get();
                      return made;
                  },
                  timing);
              return runner;
          })
    {
    }

    // As the intake hands on a scan.
    void scan(const QString& text)
    {
        rig.processing->History().Begin(text);
        rig.processing->DispatchLabel(text);
    }
    QDateTime scanTime() const { return rig.processing->History().Entries().first().time; }
    bool until(const std::function<bool()>& condition) { return EventWait::Until(condition); }

    std::shared_ptr<WorkListRunner> runner;
    ScriptedMachineControl* control = nullptr;
    ScanRig rig;
    KeptRecords kept;
    FakeClock clock{1000}; // each run takes exactly one step
    ProductionCapture capture{kept, rig.codes, *rig.processing, clock};
};

TEST_F(ProductionCaptureTest, ScansBecomeLineRecordsAndRefusalsAndLinesThatLeftUnrunAreCleared)
{
    capture.Follow(runner.get());
    capture.Follow(runner.get()); // twice: still one record of each
    // Each label adds to the list; the machine, not connected yet, is not asked to run it.
    rig.state.SetOption(StationState::Option::AClear, 0);
    rig.state.SetOption(StationState::Option::AutoStart, 0);
    rig.WriteProgram("PROG1.CNC", "G71 X600 Y400 Z20\r\n(PANEL)\r\n");
    rig.WriteProgram("PROG2.CNC", "G71 X300 Y200.5 Z18\r\n(PANEL)\r\n");
    rig.env.Write(rig.OnDriveC("CSV/PROG1.CSV"), "a;b\r\n");
    rig.env.Write(rig.OnDriveC("OUT/Tarvex.csv"), "");

    scan("%11PROG2 N X %"); // no companion
    scan("%11PROG1 A1 X %");
    QList<LineRecord> lines = kept.Of<LineRecord>();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_FALSE(lines[1].uid.isEmpty());
    EXPECT_NE(lines[0].uid, lines[1].uid);
    EXPECT_TRUE(lines[1].station.isEmpty());
    EXPECT_EQ(lines[1].scannedAt, scanTime());
    EXPECT_EQ(lines[1].scanText, "%11PROG1 A1 X %");
    EXPECT_EQ(lines[1].program, "PROG1.CNC");
    EXPECT_EQ(lines[1].fieldCode, "A1");
    EXPECT_EQ(lines[1].position, 10);
    EXPECT_TRUE(lines[1].mirrored);
    EXPECT_EQ(QStringList({lines[1].sizeX, lines[1].sizeY, lines[1].sizeZ}), QStringList({"600", "400", "20"}));
    EXPECT_TRUE(lines[1].listFile.isEmpty());
    EXPECT_TRUE(lines[1].csvMoved);
    EXPECT_EQ(lines[0].scanText, "%11PROG2 N X %");
    EXPECT_EQ(QStringList({lines[0].fieldCode, lines[0].sizeY}), QStringList({"N", "200.5"}));
    EXPECT_FALSE(lines[0].mirrored);
    EXPECT_FALSE(lines[0].csvMoved);

    // A list file replaces both: they never ran. Its lines carry the file, and no CSV companion
    // of a label, not even of the label just before it with the same program.
    rig.env.Write(rig.OnDriveC("LISTS/JOB7%.LST"), "; job seven\r\n#161=PROG1.CNC;#171=4;#284=1;\r\n#161=B.CNC;#171=99;\r\n");
    kept.entries.clear();
    scan("%01JOB7%");
    const QList<LineOutcome> cleared = kept.Of<LineOutcome>();
    ASSERT_EQ(cleared.size(), 2);
    for (const LineOutcome& outcome : cleared) {
        EXPECT_EQ(outcome.outcome, "cleared");
        EXPECT_TRUE(outcome.startedAt.isNull());
        EXPECT_FALSE(outcome.endedAt.isNull());
    }
    EXPECT_EQ(cleared[0].lineUid, lines[0].uid);
    EXPECT_EQ(cleared[1].lineUid, lines[1].uid);
    lines = kept.Of<LineRecord>();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].listFile, "C:\\LISTS\\JOB7%.LST");
    EXPECT_EQ(lines[0].scanText, "%01JOB7%");
    EXPECT_EQ(lines[0].scannedAt, scanTime());
    EXPECT_EQ(QStringList({lines[0].program, lines[0].fieldCode}), QStringList({"PROG1.CNC", "A"}));
    EXPECT_TRUE(lines[0].mirrored);
    EXPECT_FALSE(lines[0].csvMoved);
    EXPECT_EQ(lines[1].position, 99);
    EXPECT_TRUE(lines[1].fieldCode.isEmpty()); // no code has that position

    // A refused scan is one record, whatever else its entry is told.
    kept.entries.clear();
    scan("%11..\\PROG1 N X %");
    const QDateTime refusedAt = scanTime(); // the next scan may come a millisecond later
    rig.processing->History().Refuse("and something more");
    // A scan that put its line on the list is no refused scan, whatever failed after it.
    rig.state.SetOption(StationState::Option::AutoStart, 1);
    scan("%11PROG2 N X %");
    ASSERT_TRUE(rig.processing->History().Entries().first().outcomes.join(' ').contains("on Start"));
    const QList<RefusalRecord> refused = kept.Of<RefusalRecord>();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(kept.entries.size(), 2);
    EXPECT_FALSE(refused[0].uid.isEmpty());
    EXPECT_EQ(refused[0].at, refusedAt);
    EXPECT_EQ(refused[0].scanText, "%11..\\PROG1 N X %");
    EXPECT_TRUE(refused[0].reason.contains("points outside the program folder")) << refused[0].reason.toStdString();
}

TEST_F(ProductionCaptureTest, EachRunEndsInOneOutcomeWithItsTimesAndHold)
{
    ASSERT_TRUE(until([&] { return runner->IsConnected(); }));
    runner->ClearList();
    // On the list before the capture follows it, as a list saved by an earlier run is.
    runner->AddLine(ListFields::Read("#161=P1.CNC;#171=2;#284=1;#168=600;"));
    capture.Follow(runner.get());
    runner->AddLine(ListFields::Read("#161=P2.CNC;"));
    runner->AddLine(ListFields::Read("#161=P3.CNC;"));

    // P1 is paused at the machine a while, then goes on; P2 ends with the machine's error.
    control->runWatches = 3;
    control->scripted["Finish"] = {reply(MachineControl::State::Idle),
                                   reply(MachineControl::State::Idle, {"near line 3: unknown word"})};
    runner->Start();
    ASSERT_TRUE(until([&] { return control->Sent("Run").size() == 1; }));
    control->paused = true;
    ASSERT_TRUE(until([&] { return runner->RunStateText() == "held at P1.CNC (line 1)"; }));
    EventWait::Until([] { return false; }, 30);
    runner->Start(); // goes on
    ASSERT_TRUE(until([&] { return !runner->IsRunning(); }));

    QList<LineOutcome> outcomes = kept.Of<LineOutcome>();
    ASSERT_EQ(outcomes.size(), 2);
    EXPECT_EQ(outcomes[0].outcome, "done");
    EXPECT_TRUE(outcomes[0].message.isEmpty());
    EXPECT_GT(outcomes[0].holdMs, 0);
    EXPECT_EQ(outcomes[0].startedAt.msecsTo(outcomes[0].endedAt), 1000);
    EXPECT_EQ(outcomes[1].outcome, "failed");
    EXPECT_EQ(outcomes[1].message, "near line 3: unknown word");
    EXPECT_EQ(outcomes[1].holdMs, 0);
    EXPECT_EQ(outcomes[1].startedAt.msecsTo(outcomes[1].endedAt), 1000);
    EXPECT_NE(outcomes[0].uid, outcomes[1].uid);
    const LineRecord* p1 = kept.Line(outcomes[0].lineUid, kept.IndexOf(outcomes[0].uid));
    ASSERT_NE(p1, nullptr) << "the line seen first at its run has its record before its outcome";
    EXPECT_EQ(p1->program, "P1.CNC");
    EXPECT_EQ(QStringList({p1->fieldCode, p1->sizeX}), QStringList({"M", "600"}));
    EXPECT_TRUE(p1->scanText.isEmpty());
    EXPECT_TRUE(p1->carriedOver); // the record joins an earlier run's record of it, if there is one
    const LineRecord* p2 = kept.Line(outcomes[1].lineUid, kept.IndexOf(outcomes[1].uid));
    ASSERT_NE(p2, nullptr);
    EXPECT_EQ(p2->program, "P2.CNC");
    EXPECT_FALSE(p2->carriedOver);

    // P3's Run is refused: no run took place, so the line, cleared after it, never ran.
    kept.entries.clear();
    MachineControl::Reply refusedRun;
    refusedRun.kind = MachineControl::Reply::Kind::Refused;
    refusedRun.text = "not now";
    control->scripted["Run"] = {refusedRun};
    runner->Start();
    ASSERT_TRUE(until([&] { return control->Sent("Run").size() == 3 && !runner->IsRunning(); }));
    EXPECT_TRUE(kept.entries.isEmpty());
    runner->ClearList();
    outcomes = kept.Of<LineOutcome>();
    ASSERT_EQ(outcomes.size(), 1); // the lines done and failed end no second time
    EXPECT_EQ(outcomes[0].outcome, "cleared");
    EXPECT_TRUE(outcomes[0].startedAt.isNull());
    EXPECT_EQ(kept.entries.size(), 1);
}

} // namespace
