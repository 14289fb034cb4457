// ExpandPayload against a bare zlib uncompress of the same data: the difference is the cost of
// the scan layout, the backslash rule and, above 23,072 characters, the work files.
#include "program/PayloadExpander.h"
#include "station/StationState.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>

namespace {
QByteArray programText(int length)
{
    std::mt19937 rng(42);
    QByteArray text;
    int n = 1;
    while (text.size() < length)
        text += "N" + QByteArray::number(n++) + " G1 X" + QByteArray::number(rng() % 100000 / 100.0) + " Y" +
                QByteArray::number(rng() % 100000 / 100.0) + " F3000\r\n";
    text.truncate(length);
    return text;
}

void BM_ExpandPayload(benchmark::State& state)
{
    const QByteArray text = programText(static_cast<int>(state.range(0)));
    const QString scan = QString::fromLatin1(PayloadExpander::MakeScan(text));
    StationState shown;
    PayloadExpander expander(shown);
    for (auto _ : state) {
        QString s = scan;
        const QString out = expander.ExpandPayload(s);
        if (out.size() != text.size())
            state.SkipWithError("payload did not expand");
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

void BM_ZlibUncompress(benchmark::State& state)
{
    const QByteArray text = programText(static_cast<int>(state.range(0)));
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    QByteArray compressed(static_cast<qsizetype>(size), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(compressed.data()), &size, reinterpret_cast<const Bytef*>(text.constData()),
              static_cast<uLong>(text.size()), Z_BEST_COMPRESSION);
    compressed.truncate(static_cast<qsizetype>(size));
    QByteArray out(text.size(), Qt::Uninitialized);
    for (auto _ : state) {
        uLongf outSize = static_cast<uLongf>(out.size());
        uncompress(reinterpret_cast<Bytef*>(out.data()), &outSize,
                   reinterpret_cast<const Bytef*>(compressed.constData()), static_cast<uLong>(compressed.size()));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
} // namespace

BENCHMARK(BM_ExpandPayload)->Arg(1000)->Arg(23000)->Arg(99000);
BENCHMARK(BM_ZlibUncompress)->Arg(1000)->Arg(23000)->Arg(99000);
