#include "listmgr/ListFile.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QStringList ListFile::Read(const QString& nativePath)
{
    const QFileInfo info(nativePath);
    if (!info.exists())
        throw RuntimeError(RuntimeError::FileNotFound, QStringLiteral("File not found"));
    QFile file(nativePath);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::PathFileAccessError,
                           QStringLiteral("Path/File access error: %1").arg(nativePath));
    QStringList lines;
    const QList<QByteArray> raw = file.readAll().split('\n');
    for (QByteArray line : raw) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(';'))
            continue;
        lines << QString::fromLatin1(line);
    }
    return lines;
}

void ListFile::Write(const QString& nativePath, const QStringList& lines)
{
    QDir().mkpath(QFileInfo(nativePath).absolutePath());
    QSaveFile file(nativePath);
    QByteArray content;
    for (const QString& line : lines)
        content += line.toLatin1() + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw RuntimeError(RuntimeError::PathFileAccessError,
                           QStringLiteral("Cannot save %1: %2").arg(nativePath, file.errorString()));
}
