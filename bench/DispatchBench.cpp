// A completed program through DispatchLabel with the pauses off, per line, against composing the
// same list line alone: the difference is what the dispatcher costs around the line (the label's
// reading, the CSV and program file lookups, the field choice, the mirror test, the log).
#include "BenchEnvironment.h"
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

#include <QDir>
#include <QFile>

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
    ScanBench()
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
    std::shared_ptr<CountingListManager> server = std::make_shared<CountingListManager>();
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
    if (station.server->lines != static_cast<long>(state.iterations()))
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

} // namespace

BENCHMARK(BM_DispatchCompletedProgram);
BENCHMARK(BM_ComposeListLineAlone);
