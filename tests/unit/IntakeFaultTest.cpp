// The intake and the list line under bad conditions: a scanner unplugged in the middle of a scan,
// a list manager that fails every call, an overlong scan, control bytes in a label.
#include "app/ScanIntake.h"
#include "app/SerialLink.h"
#include "config/Configuration.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListLine.h"
#include "listmgr/ListManagerLink.h"
#include "scan/ScanConsumers.h"
#include "station/ScanHistory.h"
#include "station/StationState.h"
#include "support/FakeClock.h"
#include "support/FakeListManager.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class CountingConsumers : public ScanConsumers {
public:
    bool DispatchLabel(QString label) override
    {
        labels << label;
        return true;
    }
    void HandleProgramScan(QString& scan) override { programs << scan; }
    QString ExpandPayload(QString&) override { return QString(); }
    QStringList labels;
    QStringList programs;
};

class IntakeFaultTest : public testing::Test {
protected:
    IntakeFaultTest() { port.open = true; }
    // One tick of the main window: the device watch first, then the intake, as frmMain does.
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            link.WatchDevice();
            intake.Timer1_Timer();
        }
    }
    bool logged(const QString& text) const { return env.LogLines().join('\n').contains(text); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    StationState state;
    FakeSerialPort port;
    Configuration config{boxes};
    SerialLink link{config, port, state, boxes};
    CountingConsumers consumers;
    ScanHistory history;
    ScanIntake intake{port, state, consumers, history};
};

TEST_F(IntakeFaultTest, AScanCutOffByUnpluggingIsDroppedAndTheNextScanAfterReplugIsWhole)
{
    port.Receive("P12");
    tick();
    port.Unplug();
    tick(5);
    EXPECT_TRUE(consumers.labels.isEmpty());
    EXPECT_TRUE(intake.PendingScan().isEmpty());
    EXPECT_FALSE(state.ActivityShown());
    EXPECT_EQ(state.Status(), "Scanner disconnected during a scan: the scan was dropped. Scan it again.");
    EXPECT_TRUE(logged("scanner disconnected in the middle of a scan: 3 characters dropped: P12"));
    EXPECT_TRUE(logged("scanner disconnected: /dev/fake"));

    // Back in: the first scan is not glued to the piece that came before the loss.
    port.available = true;
    tick();
    ASSERT_TRUE(port.open);
    EXPECT_EQ(state.Status(), "Ready.");
    port.Receive("P123.CNC");
    tick(3);
    EXPECT_EQ(consumers.labels, QStringList{"P123.CNC"});
}

TEST_F(IntakeFaultTest, ALabelLeftOverFromACompleteBurstSurvivesTheUnplugging)
{
    port.Receive("%START%%STOP%");
    tick(3);
    ASSERT_EQ(consumers.labels, QStringList{"%START%"});
    port.Unplug();
    tick(3);
    EXPECT_EQ(intake.PendingScan(), "%STOP%");
    port.available = true;
    tick(3);
    EXPECT_EQ(consumers.labels, (QStringList{"%START%", "%STOP%"}));
}

TEST_F(IntakeFaultTest, AnOverlongScanIsRefusedWithItsLengthAndTheNextScanIsWhole)
{
    // As a serial port delivers it: a few kilobytes per tick, a megabyte in all.
    QString label;
    for (int i = 0; label.size() < 1024 * 1024; ++i)
        label += QStringLiteral("ABCDEFGHIJ%1").arg(i % 10);
    for (qsizetype at = 0; at < label.size(); at += 4096) {
        port.Receive(label.mid(at, 4096));
        tick();
        ASSERT_LE(intake.PendingScan().size(), ScanIntake::MaxScanLength);
    }
    tick(4);
    EXPECT_TRUE(consumers.labels.isEmpty());
    EXPECT_EQ(state.Status(), QStringLiteral("Scan refused: it is %1 characters long. Scan the label again.").arg(label.size()));
    ASSERT_EQ(history.Entries().size(), 1);
    EXPECT_EQ(history.Entries()[0].mark, ScanHistory::Mark::Refused);
    EXPECT_LT(history.Entries()[0].arrived.size(), 400);
    EXPECT_TRUE(logged(QStringLiteral("at most %1 are read").arg(ScanIntake::MaxScanLength)));

    // The longest scan read is dispatched whole, as a label or a program barcode.
    const QString longest = label.left(ScanIntake::MaxScanLength);
    port.Receive(longest);
    tick(3);
    EXPECT_EQ(consumers.labels, QStringList{longest});
    port.Receive(longest.left(ScanIntake::MaxScanLength - 1) + QStringLiteral("^"));
    tick(3);
    EXPECT_EQ(consumers.programs.size(), 1);
    EXPECT_EQ(consumers.labels.size(), 1);
    EXPECT_LT(env.LogLines().join('\n').size(), 20000);
}

TEST_F(IntakeFaultTest, ControlBytesAreLoggedPrintableAndDispatchedIntact)
{
    const QString label = QString::fromLatin1("P\0" "1\x01\x1b\t\r\n\x7f\xf1.CNC", 14);
    ASSERT_EQ(label.size(), 14);
    port.Receive(label);
    tick(3);
    EXPECT_EQ(consumers.labels, QStringList{label});
    const QString record = QStringLiteral("scan received: P\\x001\\x01\\x1B\\x09\\x0D\\x0A\\x7F") + QChar(0xF1) + ".CNC";
    EXPECT_TRUE(logged(record)) << env.LogLines().join('\n').toStdString();
    for (const QString& line : env.LogLines()) {
        for (const QChar c : line)
            EXPECT_GE(c.unicode(), 0x20) << line.toStdString();
    }
}

class ListManagerFaultTest : public testing::Test {
protected:
    ListManagerFaultTest()
    {
        table.InitFieldCodeTable();
        link.ListApp = server;
        link.ExeListObject = server;
        values.programName = "P7.CNC";
        values.fieldCode = "N";
    }

    TestEnvironment env;
    FieldCodeTable table;
    std::shared_ptr<FakeListManager> server = std::make_shared<FakeListManager>();
    FakeListManagerFactory factory;
    FakeClock clock;
    ListManagerLink link{factory, clock};
    StationState state;
    ListLine line{table, link, state};
    ListLine::Values values;
};

TEST_F(ListManagerFaultTest, AServerFailingEveryCallIsReportedAndTheNextLineGoesThroughOnceItRecovers)
{
    const QString text = line.ComposeListLine(values).Text();
    server->failEveryCall = true;
    EXPECT_FALSE(line.AddLineToList(values));
    EXPECT_EQ(server->Count("AddLine"), 2);
    EXPECT_TRUE(state.Status().startsWith("The line was not added to the list (error -2147417848")) << state.Status().toStdString();
    const QStringList log = env.LogLines();
    EXPECT_TRUE(log.join('\n').contains("fallback work list failed"));
    EXPECT_TRUE(log.last().startsWith("ERROR line not added") && log.last().endsWith(text)) << log.last().toStdString();

    server->failEveryCall = false;
    server->calls.clear();
    EXPECT_TRUE(line.AddLineToList(values));
    EXPECT_EQ(server->calls, QStringList{"AddLine " + text});
}

} // namespace
