// A completed program through DispatchLabel with the pauses off, per line, against composing the
// same list line alone: the difference is what the dispatcher costs around the line (the label's
// reading, the CSV and program file lookups, the field choice, the mirror test, the log).
// The same on the embedded list manager, with and without the production record: what recording
// adds to a scan's path (the records are written by a thread of their own, between the scans).
#include "BenchEnvironment.h"
#include "app/ProductionCapture.h"
#include "listmgr/EmbeddedListManager.h"
#include "production/ProductionRecord.h"
#include "config/Configuration.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListManager.h"
#include "listmgr/ListManagerLink.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Pauser.h"
#include "platform/UnattendedMessageBoxes.h"
#include "scan/ScanProcessing.h"
#include "station/RunState.h"
#include "station/StationState.h"
#include "support/FakeClock.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeSerialPort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

class NoPause : public Pauser {
public:
    void Pause(double) override {}
    void ProcessEvents() override {}
};

class CountingListManager : public ListManager {
public:
    bool NewList() override { return true; }
    void OpenList(const QString&) override {}
    void Start() override {}
    void Hold() override {}
    void End() override {}
    void Setpoint() override {}
    // Every real list manager writes the line's text (journal, work-list file): so does this one.
    void AddLine(const ListFields& line) override { lines += line.Text().isEmpty() ? 0 : 1; }
    void ClearList() override {}
    void Visible(bool) override {}
    void Clear() override {}
    long lines = 0;
};

struct ScanBench {
    explicit ScanBench(std::shared_ptr<ListManager> list = std::make_shared<CountingListManager>()) : server(std::move(list))
    {
        // An empty configuration: the rules read it once, on the first label.
        config.IniFilePath = BenchEnvironment::Instance().DriveC() + QStringLiteral("/ZEM.INI");
        QFile ini(config.IniFilePath);
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[GESTBCOD]\r\n");
        // The label's program, with its header, as a station keeps it.
        QDir().mkpath(BenchEnvironment::Instance().DriveC() + QStringLiteral("/PRODUCT"));
        QFile program(BenchEnvironment::Instance().DriveC() + QStringLiteral("/PRODUCT/PROG1.CNC"));
        if (program.open(QIODevice::WriteOnly))
            program.write("G71 X600 Y400 Z20\r\n(BENCH PANEL)\r\nG0 X0 Y0\r\n");
        // As at start-up: drive letters map through the configuration file.
        Paths::SetDriveRoots(config.DriveRoots());
        config.GCodePath = QStringLiteral("C:\\PRODUCT\\");
        config.CSVInPath = QStringLiteral("C:\\CSV");
        codes.InitFieldCodeTable();
        link.ListApp = server;
        link.ExeListObject = server;
        port.open = true;
    }
    ~ScanBench() { Paths::SetDriveRoots({}); }
    ScanBench(const ScanBench&) = delete;
    ScanBench& operator=(const ScanBench&) = delete;

    UnattendedMessageBoxes boxes;
    StationState shown;
    NoPause pauser;
    Configuration config{boxes};
    RunState run;
    FieldCodeTable codes;
    std::shared_ptr<ListManager> server;
    FakeListManagerFactory factory{server};
    FakeClock clock;
    ListManagerLink link{factory, clock};
    FakeSerialPort port;
    ScanProcessing processing{{config, run, shown, boxes, pauser, link, codes, port}};
};

void trimLog(benchmark::State& state, int& count)
{
    if (++count % 1000 != 0)
        return;
    state.PauseTiming();
    QFile::remove(Log::FilePath());
    state.ResumeTiming();
}

void BM_DispatchCompletedProgram(benchmark::State& state)
{
    ScanBench station;
    int count = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(station.processing.DispatchLabel(QStringLiteral("%19PROG1 N X %")));
        station.port.sent.clear();
        trimLog(state, count);
    }
    if (static_cast<CountingListManager&>(*station.server).lines != static_cast<long>(state.iterations()))
        state.SkipWithError("not one line per label");
    state.SetLabel("per line, pauses off");
}

void BM_ComposeListLineAlone(benchmark::State& state)
{
    ScanBench station;
    ListLine line(station.codes, station.link, station.shown);
    ScanFields fields;
    for (auto _ : state) {
        fields.CurrentProgramName = QStringLiteral("PROG1.CNC");
        fields.CurrentFieldCode = QStringLiteral("N");
        fields.CurrentSizeX = QStringLiteral("600");
        fields.CurrentSizeY = QStringLiteral("400");
        fields.CurrentSizeZ = QStringLiteral("20");
        benchmark::DoNotOptimize(line.ComposeListLine(fields.LineValues(fields.CurrentFieldCode)).Text());
    }
    state.SetLabel("reference");
}

// The embedded list manager keeps its list in a file, written and flushed to the disk at every
// change. So that the disk's flushes do not drown what is measured, its folder is in memory
// (/dev/shm) where there is one, and the list is emptied every 20 lines, outside the timing.
void dispatchOnWorkList(benchmark::State& state, bool recorded)
{
    const QString records = QDir::tempPath() + QStringLiteral("/tarvex-bench-production.sqlite");
    QFile::remove(records);
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    QTemporaryDir memory(QStringLiteral("/dev/shm/tarvex-bench-XXXXXX"));
    if (memory.isValid())
        qputenv("XDG_DATA_HOME", QFile::encodeName(memory.path()));
    auto list = std::make_shared<EmbeddedListManager>();
    qputenv("XDG_DATA_HOME", dataHome);
    list->NewList();
    ScanBench station(list);
    std::unique_ptr<ProductionRecord> record;
    std::unique_ptr<ProductionCapture> capture;
    if (recorded) {
        record = std::make_unique<ProductionRecord>(ProductionSettings(QString(), QStringLiteral("bench"), QString()), records);
        capture = std::make_unique<ProductionCapture>(*record, station.codes, station.processing, station.clock);
        capture->Follow(list.get());
    }
    int count = 0;
    for (auto _ : state) {
        station.processing.History().Begin(QStringLiteral("%19PROG1 N X %"));
        benchmark::DoNotOptimize(station.processing.DispatchLabel(QStringLiteral("%19PROG1 N X %")));
        station.port.sent.clear();
        if (++count % 20 == 0) {
            state.PauseTiming();
            list->ClearList();
            if (count % 1000 == 0)
                QFile::remove(Log::FilePath());
            // Written between the scans, as at a station, whose scans come seconds apart: what is
            // timed is what recording adds to a scan's own path, not the writer on the other core.
            // Without a record the scans pause as long, so that both start again as cold.
            if (record && !record->WaitWritten(60000))
                state.SkipWithError("the records were not written");
            if (!record)
                QThread::msleep(5);
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
    }
    if (record && !record->WaitWritten(60000))
        state.SkipWithError("the records were not written");
    capture.reset();
    record.reset();
    QFile::remove(records);
    state.SetLabel(recorded ? "per line, embedded list manager, recorded" : "per line, embedded list manager");
}

void BM_DispatchOnWorkList(benchmark::State& state)
{
    dispatchOnWorkList(state, false);
}

void BM_DispatchOnWorkListRecorded(benchmark::State& state)
{
    dispatchOnWorkList(state, true);
}

} // namespace

BENCHMARK(BM_DispatchCompletedProgram);
BENCHMARK(BM_DispatchOnWorkList);
BENCHMARK(BM_DispatchOnWorkListRecorded);
BENCHMARK(BM_ComposeListLineAlone);
