#include "FuzzEnvironment.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>

FuzzEnvironment& FuzzEnvironment::Get()
{
    static FuzzEnvironment environment;
    return environment;
}

FuzzEnvironment::FuzzEnvironment()
{
    static int argc = 1;
    static char name[] = "tarvex-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    Log::SetEcho(false);
}

void FuzzEnvironment::ResetLog() const
{
    QFile::remove(Log::FilePath());
}

void FuzzFailure(const char* what)
{
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}
