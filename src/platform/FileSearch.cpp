#include "platform/FileSearch.h"

#include "platform/Log.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace {
bool isNormalFile(const QString& path)
{
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0) {
        const int err = errno;
        if (err == ENOENT)
            return false;
        if (err == ENOTDIR)
            throw RuntimeError(RuntimeError::PathNotFound, QStringLiteral("Path not found"));
        throw RuntimeError::FromErrno(err, path);
    }
    return S_ISREG(st.st_mode) && !QFileInfo(path).fileName().startsWith(QLatin1Char('.'));
}
} // namespace

bool FileSearch::FindFirst(const QString& nativePattern)
{
    const QFileInfo info(nativePattern);
    const QString name = info.fileName();
    if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
        return isNormalFile(nativePattern);

    const QString folder = info.path();
    struct stat st {};
    if (stat(QFile::encodeName(folder).constData(), &st) != 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            throw RuntimeError(RuntimeError::PathNotFound, QStringLiteral("Path not found"));
        throw RuntimeError::FromErrno(err, folder);
    }
    const QStringList found = QDir(folder).entryList({name}, QDir::Files | QDir::NoDotAndDotDot);
    return !found.isEmpty();
}

QString FileSearch::ResolveCase(const QString& nativePath)
{
    struct stat st {};
    if (lstat(QFile::encodeName(nativePath).constData(), &st) == 0 || errno != ENOENT)
        return nativePath;
    const QFileInfo info(nativePath);
    const QString name = info.fileName();
    if (name.isEmpty())
        return nativePath;
    QString match;
    QDirIterator entries(info.path(), QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        const QString entry = entries.next();
        if (entries.fileName().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!match.isEmpty()) {
            Log::Warning(QStringLiteral("%1 not found, and several files match it without regard to letter case; none is used")
                             .arg(nativePath));
            return nativePath;
        }
        match = entry;
    }
    if (match.isEmpty())
        return nativePath;
    Log::Info(QStringLiteral("%1 not found; using %2, whose name differs only in letter case").arg(nativePath, match));
    return match;
}
