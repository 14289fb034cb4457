#include "BenchEnvironment.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>

BenchEnvironment& BenchEnvironment::Instance()
{
    static BenchEnvironment environment;
    return environment;
}

BenchEnvironment::BenchEnvironment()
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/config")));
    QDir().mkpath(DriveC());
    Log::SetEcho(false);
}

QString BenchEnvironment::DriveC() const
{
    return dir_.path() + QStringLiteral("/data/tarvex/drive_c");
}
