#include "support/TestEnvironment.h"

#include "platform/Log.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestEnvironment::TestEnvironment()
    : oldConfig_(qgetenv("XDG_CONFIG_HOME")), oldData_(qgetenv("XDG_DATA_HOME")), oldState_(qgetenv("XDG_STATE_HOME")),
      hadConfig_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")), hadData_(qEnvironmentVariableIsSet("XDG_DATA_HOME")),
      hadState_(qEnvironmentVariableIsSet("XDG_STATE_HOME"))
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/data")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/state")));
    QDir().mkpath(ProgramFolder());
    QDir().mkpath(WindowsDirectory());
    QDir().mkpath(DataFolder());
    Paths::SetProgramFolder(ProgramFolder());
    Paths::SetDriveRoots({});
}

TestEnvironment::~TestEnvironment()
{
    Paths::SetProgramFolder(QString());
    Paths::SetDriveRoots({});
    if (hadConfig_)
        qputenv("XDG_CONFIG_HOME", oldConfig_);
    else
        qunsetenv("XDG_CONFIG_HOME");
    if (hadData_)
        qputenv("XDG_DATA_HOME", oldData_);
    else
        qunsetenv("XDG_DATA_HOME");
    if (hadState_)
        qputenv("XDG_STATE_HOME", oldState_);
    else
        qunsetenv("XDG_STATE_HOME");
}

QString TestEnvironment::ProgramFolder() const
{
    return dir_.path() + QStringLiteral("/bin");
}

QString TestEnvironment::WindowsDirectory() const
{
    return dir_.path() + QStringLiteral("/config/tarvex");
}

QString TestEnvironment::DataFolder() const
{
    return dir_.path() + QStringLiteral("/data/tarvex");
}

QString TestEnvironment::Write(const QString& path, const QByteArray& content) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

QByteArray TestEnvironment::Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList TestEnvironment::LogLines() const
{
    QStringList lines;
    const QList<QByteArray> raw = Read(Log::FilePath()).split('\n');
    for (const QByteArray& line : raw) {
        if (line.isEmpty())
            continue;
        const qsizetype space = line.indexOf(' ');
        lines << QString::fromUtf8(line.mid(space + 1));
    }
    return lines;
}
