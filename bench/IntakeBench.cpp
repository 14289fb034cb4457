// One long burst through the intake, delivered a kilobyte per tick as a serial port does, then
// the two silent ticks that end it; against collecting the same pieces into one text, the least
// any intake does. The sizes step by four so that the fitted complexity shows it is linear.
#include "app/ScanIntake.h"
#include "platform/Log.h"
#include "scan/ScanConsumers.h"
#include "station/ScanHistory.h"
#include "station/StationState.h"
#include "support/FakeSerialPort.h"

#include <QFile>

#include <benchmark/benchmark.h>

namespace {
constexpr qsizetype chunk = 1024;

class CountingConsumers : public ScanConsumers {
public:
    bool DispatchLabel(QString) override
    {
        ++dispatched;
        return true;
    }
    void HandleProgramScan(QString&) override { ++dispatched; }
    QString ExpandPayload(QString&) override { return QString(); }
    int dispatched = 0;
};

QString burst(qsizetype size)
{
    QString text;
    text.reserve(size);
    for (qsizetype i = 0; i < size; ++i)
        text += QLatin1Char(static_cast<char>('A' + i % 26));
    return text;
}

void BM_IntakeBurst(benchmark::State& state)
{
    const QString text = burst(state.range(0));
    StationState shown;
    for (auto _ : state) {
        FakeSerialPort port;
        port.open = true;
        CountingConsumers consumers;
        ScanHistory history;
        ScanIntake intake(port, shown, consumers, history);
        for (qsizetype at = 0; at < text.size(); at += chunk) {
            port.Receive(text.mid(at, chunk));
            intake.Timer1_Timer();
        }
        intake.Timer1_Timer();
        intake.Timer1_Timer();
        if (consumers.dispatched != 1)
            state.SkipWithError("the burst was not dispatched once");
        state.PauseTiming();
        QFile::remove(Log::FilePath()); // the log holds every scan; keep it from piling up
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetComplexityN(state.range(0));
}

void BM_CollectBurst(benchmark::State& state)
{
    const QString text = burst(state.range(0));
    for (auto _ : state) {
        QString collected;
        for (qsizetype at = 0; at < text.size(); at += chunk)
            collected += text.mid(at, chunk);
        benchmark::DoNotOptimize(collected.constData());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetComplexityN(state.range(0));
}
} // namespace

BENCHMARK(BM_IntakeBurst)->RangeMultiplier(4)->Range(16 << 10, 1 << 20)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_CollectBurst)->RangeMultiplier(4)->Range(16 << 10, 1 << 20)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
