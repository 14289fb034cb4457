#include "BenchEnvironment.h"
#include "platform/MemoryTuning.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    // As the program does, so that the measurements see its memory.
    MemoryTuning::KeepWorkingMemory();
    QCoreApplication app(argc, argv);
    BenchEnvironment::Instance();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
