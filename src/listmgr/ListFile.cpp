#include "listmgr/ListFile.h"

#include "listmgr/ListLine.h"
#include "platform/RuntimeError.h"

QList<ListFields> ListFile::Read(const QString& nativePath, Files::Links links)
{
    QList<ListFields> lines;
    for (const Line& line : ReadWithComments(nativePath, links))
        lines << ListFields::Read(line.text);
    return lines;
}

QList<ListFile::Line> ListFile::ReadWithComments(const QString& nativePath, Files::Links links)
{
    QByteArray data;
    try {
        data = Files::ReadBounded(nativePath, MaxFileSize, links);
    } catch (const RuntimeError& e) {
        if (e.Number() == RuntimeError::FileNotFound)
            throw RuntimeError(RuntimeError::FileNotFound, QStringLiteral("File not found"));
        throw RuntimeError(RuntimeError::PathFileAccessError, QStringLiteral("Path/File access error: %1").arg(e.Description()));
    }
    QList<Line> lines;
    QString comment;
    const QList<QByteArray> raw = data.split('\n');
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QByteArray line = raw[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith(';')) {
            comment = QString::fromLatin1(line.mid(1));
            continue;
        }
        if (line.trimmed().isEmpty())
            continue;
        const QString text = QString::fromLatin1(line);
        // A carriage return inside a line would end it early for whoever reads it next, and
        // what follows would arrive as a line of its own.
        if (ListLine::HoldsControlCharacter(text))
            throw RuntimeError(RuntimeError::PathFileAccessError,
                               QStringLiteral("%1: line %2 holds a carriage return or another control character").arg(nativePath).arg(i + 1));
        if (lines.size() == MaxLines)
            throw RuntimeError(RuntimeError::PathFileAccessError,
                               QStringLiteral("%1 holds more than %2 list lines").arg(nativePath).arg(MaxLines));
        lines << Line{text, comment};
        comment.clear();
    }
    return lines;
}

void ListFile::Write(const QString& nativePath, const QList<Line>& lines)
{
    QByteArray content;
    for (const Line& line : lines) {
        if (!line.comment.isEmpty())
            content += ';' + line.comment.toLatin1() + '\n';
        content += line.text.toLatin1() + '\n';
    }
    try {
        Files::WriteAtomically(nativePath, content);
    } catch (const RuntimeError& e) {
        throw RuntimeError(RuntimeError::PathFileAccessError, QStringLiteral("Cannot save %1").arg(e.Description()));
    }
}
