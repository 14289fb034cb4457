#include "listmgr/ListFile.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QStringList ListFile::Read(const QString& nativePath)
{
    QStringList lines;
    for (const Line& line : ReadWithComments(nativePath))
        lines << line.text;
    return lines;
}

QList<ListFile::Line> ListFile::ReadWithComments(const QString& nativePath)
{
    const QFileInfo info(nativePath);
    if (!info.exists())
        throw RuntimeError(RuntimeError::FileNotFound, QStringLiteral("File not found"));
    QFile file(nativePath);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::PathFileAccessError,
                           QStringLiteral("Path/File access error: %1").arg(nativePath));
    QList<Line> lines;
    QString comment;
    const QList<QByteArray> raw = file.readAll().split('\n');
    for (QByteArray line : raw) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith(';')) {
            comment = QString::fromLatin1(line.mid(1));
            continue;
        }
        if (line.trimmed().isEmpty())
            continue;
        lines << Line{QString::fromLatin1(line), comment};
        comment.clear();
    }
    return lines;
}

void ListFile::Write(const QString& nativePath, const QList<Line>& lines)
{
    QDir().mkpath(QFileInfo(nativePath).absolutePath());
    QSaveFile file(nativePath);
    QByteArray content;
    for (const Line& line : lines) {
        if (!line.comment.isEmpty())
            content += ';' + line.comment.toLatin1() + '\n';
        content += line.text.toLatin1() + '\n';
    }
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw RuntimeError(RuntimeError::PathFileAccessError,
                           QStringLiteral("Cannot save %1: %2").arg(nativePath, file.errorString()));
}
