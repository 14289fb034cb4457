#include "app/Station.h"
#include "scan/ScanConsumers.h"
#include "support/EventWait.h"
#include "support/FakeListManager.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QRegularExpression>

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

} // namespace
