// TransferCsv of a 10 MB companion file against a plain copy of the same file, and against a copy
// that is also flushed to the disk as the transfer's append is, before the companion may be
// deleted: the differences are the file search, the append that can be taken back, and the flush.
#include "BenchEnvironment.h"
#include "config/Configuration.h"
#include "platform/UnattendedMessageBoxes.h"
#include "program/CsvTransfer.h"
#include "station/RunState.h"
#include "station/StationState.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr qsizetype companionSize = 10 * 1024 * 1024;

QString companion()
{
    return BenchEnvironment::Instance().DriveC() + QStringLiteral("/CSV/P1.CSV");
}

QString collecting()
{
    return BenchEnvironment::Instance().DriveC() + QStringLiteral("/OUT/Tarvex.csv");
}

void writeCompanion()
{
    if (QFile(companion()).size() == companionSize)
        return;
    QDir().mkpath(QFileInfo(companion()).absolutePath());
    QDir().mkpath(QFileInfo(collecting()).absolutePath());
    QByteArray line = "P1.CNC,600,400,20,DOOR PANEL,0000000000\r\n";
    QByteArray content;
    content.reserve(companionSize);
    while (content.size() < companionSize)
        content += line;
    content.truncate(companionSize);
    QFile f(companion());
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

void BM_TransferCsv(benchmark::State& state)
{
    writeCompanion();
    UnattendedMessageBoxes boxes;
    StationState shown;
    Configuration config(boxes);
    config.CSVInPath = QStringLiteral("C:\\CSV");
    config.CSVOutPath = QStringLiteral("C:\\OUT\\Tarvex.csv");
    RunState run;
    run.CommandLine = QStringLiteral("KEEPCSV"); // the companion stays for the next round
    CsvTransfer transfer(config, run, shown);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(collecting());
        state.ResumeTiming();
        if (!transfer.TransferCsv(QStringLiteral("P1.CNC")))
            state.SkipWithError("the transfer failed");
    }
    if (QFile(collecting()).size() != companionSize)
        state.SkipWithError("the collecting file is not the companion's size");
    state.SetBytesProcessed(state.iterations() * companionSize);
}

// Copies the companion once a round; with flush, the copy is also flushed to the disk.
void copyRounds(benchmark::State& state, bool flush)
{
    writeCompanion();
    const std::filesystem::path from = companion().toStdString();
    const std::filesystem::path to = collecting().toStdString();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(to);
        state.ResumeTiming();
        std::filesystem::copy_file(from, to);
        if (!flush)
            continue;
        const int fd = ::open(to.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0)
            state.SkipWithError("the copy could not be flushed");
        if (fd >= 0)
            ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * companionSize);
}

void BM_CopyFile(benchmark::State& state)
{
    copyRounds(state, false);
}

void BM_CopyFileAndFlush(benchmark::State& state)
{
    copyRounds(state, true);
}
} // namespace

BENCHMARK(BM_TransferCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFileAndFlush)->Unit(benchmark::kMillisecond);
