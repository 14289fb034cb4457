#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The list manager's files: list files (.LST) and its own saved work list, both text with one
// list line per line, bytes kept as they are (one byte, one character).
class ListFile {
public:
    // A list line with the comment written just before it (after the previous list line).
    struct Line {
        QString text;
        QString comment; // without its ";"; empty when there is none
    };

    // The list lines of the file; blank lines and lines starting with ";" are skipped.
    // A missing file is RuntimeError 53, any other failure to read 75.
    static QStringList Read(const QString& nativePath);
    // The same lines, each with the last comment line that stands before it.
    static QList<Line> ReadWithComments(const QString& nativePath);
    // Writes a temporary file beside the target and renames it into place, creating the folder;
    // a line with a comment gets it on a line of its own, ";" first, just before it.
    // Throws RuntimeError when the file cannot be written.
    static void Write(const QString& nativePath, const QList<Line>& lines);
};
