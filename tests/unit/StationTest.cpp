#include "app/Station.h"
#include "listmgr/EmbeddedListManager.h"
#include "scan/ScanConsumers.h"
#include "support/EventWait.h"
#include "support/FakeListManager.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/FakeSounds.h"
#include "support/KeptRecords.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QRegularExpression>

#include <functional>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

// A station with no window at all: its own timer ticks, the options come from ZEM.INI into its
// state, and an option changed in the state is what the next scan does and is saved at once.
TEST(StationTest, WithoutAWindowTheTimerTicksAndTheOptionsOfTheStateApply)
{
    TestEnvironment env;
    env.Write(env.ProgramFolder() + "/ZEM.INI",
              "[GESTBCOD]\r\nCommPollTime=100\r\nAutoStart=1\r\nAutoClear=0\r\nOverwrite=0\r\n");
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeProcessExit exit;
    FakeSerialPort port;
    auto server = std::make_shared<FakeListManager>();
    FakeListManagerFactory factory(server);
    Station station({boxes, instances, pauser, exit, {"tarvex"}, &port, nullptr, &factory});
    ASSERT_TRUE(station.Start());
    StationState& state = station.State();
    EXPECT_TRUE(state.IsTicked(StationState::Option::AutoStart));
    EXPECT_FALSE(state.IsTicked(StationState::Option::AClear));

    const auto scanned = [&](const QByteArray& label) {
        server->calls.clear();
        port.Receive(label);
        return EventWait::Until([&] { return !server->calls.filter(QRegularExpression("^AddLine ")).isEmpty(); });
    };
    ASSERT_TRUE(scanned("%19PROG1 N X %")); // the first scan clears the list whatever AClear says
    EXPECT_TRUE(EventWait::Until([&] { return server->calls.contains("Start"); }));

    state.SetOption(StationState::Option::AClear, 1);
    state.SetOption(StationState::Option::AutoStart, 0);
    const QByteArray ini = TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI");
    EXPECT_TRUE(ini.contains("AutoClear=1\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("AutoStart=0\r\n")) << ini.toStdString();
    ASSERT_TRUE(scanned("%19PROG2 N X %"));
    EXPECT_EQ(server->calls.first(), "ClearList");
    EXPECT_FALSE(server->calls.contains("Start"));
    station.Shutdown();
}

class RecordingConsumers : public ScanConsumers {
public:
    bool DispatchLabel(QString label) override
    {
        labels << label;
        return true;
    }
    void HandleProgramScan(QString&) override {}
    QString ExpandPayload(QString&) override { return QString(); }
    QStringList labels;
};

// With a scanner suffix the port is read as characters come, not at the next tick (an hour
// away here); the suffix chosen later applies at once and is saved only when it changed.
TEST(StationTest, WithAScannerSuffixCodesGoWithoutWaitingForATick)
{
    TestEnvironment env;
    const QString ini = env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\nCommPollTime=65535\r\nScanSuffix=CR\r\n");
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeProcessExit exit;
    FakeSerialPort port;
    RecordingConsumers consumers;
    Station station({boxes, instances, pauser, exit, {"tarvex", "NOAPP"}, &port, &consumers});
    ASSERT_TRUE(station.Start());
    port.Receive("P1\rP2");
    EXPECT_TRUE(EventWait::Until([&] { return consumers.labels == QStringList{"P1"}; }));
    port.Receive("\r");
    EXPECT_TRUE(EventWait::Until([&] { return consumers.labels == QStringList({"P1", "P2"}); }));

    const QByteArray before = TestEnvironment::Read(ini);
    station.ApplyScanSuffix(ScanSuffix(ScanSuffix::Kind::CR));
    EXPECT_EQ(TestEnvironment::Read(ini), before);
    station.ApplyScanSuffix(ScanSuffix(ScanSuffix::Kind::Tab));
    EXPECT_TRUE(TestEnvironment::Read(ini).contains("ScanSuffix=TAB\r\n"));
    port.Receive("P3\t");
    EXPECT_TRUE(EventWait::Until([&] { return consumers.labels.size() == 3; }));
    EXPECT_EQ(consumers.labels.value(2), "P3");
    station.Shutdown();
}

// The history of scans outlives a restart, below a line that marks it; a file in its place that
// cannot be the history is ignored with one log record, and never holds the start-up.
TEST(StationTest, TheScanHistoryIsKeptAcrossARestartAndABadFileIsIgnored)
{
    TestEnvironment env;
    env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n");
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeProcessExit exit;
    FakeSerialPort port;
    const auto run = [&](const std::function<void(ScanHistory&)>& during) {
        Station station({boxes, instances, pauser, exit, {"tarvex", "NOAPP"}, &port});
        EXPECT_TRUE(station.Start());
        const QList<ScanHistory::Entry> found = station.Processing().History().Entries();
        during(station.Processing().History());
        station.Shutdown();
        return found;
    };
    run([](ScanHistory& history) {
        history.Begin("%11P1 N X %");
        history.Record("line added: P1.CNC");
        history.Warn("sizes missing: X empty on the line");
        history.Begin("..\\x", ScanHistory::Origin::Typed);
        history.Refuse("points outside");
    });
    QList<ScanHistory::Entry> back = run([](ScanHistory&) {});
    ASSERT_EQ(back.size(), 3);
    EXPECT_EQ(back[0].origin, ScanHistory::Origin::Restart);
    EXPECT_EQ(back[1].arrived, "..\\x");
    EXPECT_EQ(back[1].origin, ScanHistory::Origin::Typed);
    EXPECT_EQ(back[1].mark, ScanHistory::Mark::Refused);
    EXPECT_EQ(back[2].mark, ScanHistory::Mark::Doubtful);
    EXPECT_EQ(back[2].outcomes, QStringList({"line added: P1.CNC", "sizes missing: X empty on the line"}));
    // A start with no scan added nothing to the file.
    EXPECT_EQ(run([](ScanHistory&) {}).size(), 3);

    const QString path = ScanHistoryFile::DefaultPath();
    const std::function<void()> spoil[] = {
        [&] { env.Write(path, "{\"entries\": [{\"time\": \"now\"}]}"); },
        [&] { env.Write(path, "{\"entries\": ["); },
        [&] { env.Write(path, QByteArray(ScanHistoryFile::MaxFileSize + 1, ' ')); },
        [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); },
        [&] { ASSERT_TRUE(QFile::link("/dev/zero", path)); },
    };
    for (const auto& damage : spoil) {
        QFile::remove(path);
        damage();
        const qsizetype before = env.LogLines().filter("is not read back").size();
        EXPECT_TRUE(run([](ScanHistory&) {}).isEmpty());
        EXPECT_EQ(env.LogLines().filter("is not read back").size(), before + 1);
    }
}

// One sound for each of a refusal, a doubtful line and a machine fault, from the scanner as from
// the label entry; none while [GESTBCOD] Sound=0, and the setting chosen is saved.
TEST(StationTest, RefusalsDoubtfulLinesAndFaultsSoundUnlessTheSettingIsOff)
{
    using Cue = Sounds::Cue;
    for (const bool on : {true, false}) {
        TestEnvironment env;
        env.Write(env.ProgramFolder() + "/ZEM.INI",
                  on ? "[GESTBCOD]\r\nCommPollTime=100\r\n" : "[GESTBCOD]\r\nCommPollTime=100\r\nSound=0\r\n");
        env.Write(env.DataFolder() + "/drive_c/KARN/PRODUCT/SIZED.CNC", "G71 X600 Y400 Z20\r\n(c)\r\n");
        FakeMessageBoxes boxes;
        FakeInstanceCounter instances;
        InstantPauser pauser;
        FakeProcessExit exit;
        FakeSerialPort port;
        FakeSounds sounds;
        auto server = std::make_shared<FakeListManager>();
        FakeListManagerFactory factory(server);
        Station station({boxes, instances, pauser, exit, {"tarvex"}, &port, nullptr, &factory, nullptr, &sounds});
        ASSERT_TRUE(station.Start());
        const ScanHistory& history = station.Processing().History();
        const auto scanned = [&](const QByteArray& label) {
            const qsizetype before = history.Entries().size();
            port.Receive(label);
            ASSERT_TRUE(EventWait::Until([&] { return history.Entries().size() > before && !station.Intake().Processing(); }));
        };
        scanned("%11SIZED N X %");
        station.Intake().DispatchTyped("%11..\\X N X %", {});
        scanned("%11GONE N X %");
        scanned("%11..\\Y N X %");
        station.State().ReportFault("spindle stopped");
        const QList<Cue> expected = on ? QList<Cue>{Cue::Refusal, Cue::Doubt, Cue::Refusal, Cue::MachineFault} : QList<Cue>{};
        EXPECT_EQ(sounds.played, expected) << on;

        station.SetSoundOn(!on);
        EXPECT_TRUE(TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI").contains(on ? "Sound=0" : "Sound=1"));
        station.State().ReportFault("again");
        EXPECT_EQ(sounds.played.size(), expected.size() + (on ? 0 : 1));
        station.Shutdown();
    }
}

// Given a production record, the station feeds it what its scans put on the list it made, and
// what they were refused, with each scan's text as it came from the scanner.
TEST(StationTest, WithAProductionRecordScansAreRecorded)
{
    TestEnvironment env;
    env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\nCommPollTime=100\r\nAutoStart=0\r\n");
    env.Write(env.DataFolder() + "/drive_c/KARN/PRODUCT/SIZED.CNC", "G71 X600 Y400 Z20\r\n(c)\r\n");
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeProcessExit exit;
    FakeSerialPort port;
    KeptRecords kept;
    FakeListManagerFactory factory(std::make_shared<EmbeddedListManager>());
    Station station({boxes, instances, pauser, exit, {"tarvex"}, &port, nullptr, &factory, nullptr, nullptr, &kept});
    ASSERT_TRUE(station.Start());
    const ScanHistory& history = station.Processing().History();
    for (const QByteArray label : {"%11SIZED T1 X %", "%11..\\Y N X %"}) {
        const qsizetype before = history.Entries().size();
        port.Receive(label);
        ASSERT_TRUE(EventWait::Until([&] { return history.Entries().size() > before && !station.Intake().Processing(); }));
    }
    const QList<LineRecord> lines = kept.Of<LineRecord>();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].scanText, "%11SIZED T1 X %");
    EXPECT_EQ(QStringList({lines[0].program, lines[0].fieldCode, lines[0].sizeX}), QStringList({"SIZED.CNC", "T1", "600"}));
    const QList<RefusalRecord> refused = kept.Of<RefusalRecord>();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0].scanText, "%11..\\Y N X %");
    station.Shutdown();
}

} // namespace
