#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QStandardPaths>

namespace {
QString programFolderOverride;
// Given at start-up, like the other settings read once from the configuration file.
QHash<QChar, QString> driveRoots;

QString xdgFolder(const char* variable, const QString& fallbackBelowHome)
{
    QString value = qEnvironmentVariable(variable);
    if (value.isEmpty())
        value = QDir::homePath() + QLatin1Char('/') + fallbackBelowHome;
    return value + QStringLiteral("/tarvex");
}

bool hasDrive(const QString& path)
{
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter() && path[0].unicode() < 128;
}
} // namespace

QString Paths::ToNative(const QString& path)
{
#ifdef Q_OS_WIN
    return path;
#else
    QString native = path;
    native.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!hasDrive(native))
        return native;
    QString rest = native.mid(2);
    if (!rest.startsWith(QLatin1Char('/')))
        rest.prepend(QLatin1Char('/'));
    return DriveRoot(native[0]) + rest;
#endif
}

QString Paths::DriveRoot(QChar letter)
{
    QString root = driveRoots.value(letter.toUpper());
    if (root.isEmpty())
        root = DataFolder() + QStringLiteral("/drive_") + letter.toLower();
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root;
}

void Paths::SetDriveRoots(const QHash<QChar, QString>& roots)
{
    driveRoots = roots;
}

QString Paths::ProgramFolder()
{
    if (!programFolderOverride.isEmpty())
        return programFolderOverride;
    return QCoreApplication::applicationDirPath();
}

void Paths::SetProgramFolder(const QString& folder)
{
    programFolderOverride = folder;
}

QString Paths::WindowsDirectory()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString Paths::DataFolder()
{
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString Paths::StateFolder()
{
    return xdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state"));
}

bool Paths::IsSafeRelativeName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (n.trimmed().isEmpty() || hasDrive(n) || n.startsWith(QLatin1Char('/')))
        return false;
    const auto parts = n.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.trimmed() == QStringLiteral(".."))
            return false;
    }
    return true;
}
