#include "platform/FileSearch.h"

#include "platform/RuntimeError.h"

#include <QDir>
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
