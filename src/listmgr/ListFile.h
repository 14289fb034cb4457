#pragma once

#include "listmgr/ListFields.h"
#include "platform/Files.h"

#include <QList>
#include <QString>
#include <QStringList>

// The list manager's files: list files (.LST) and its own saved work list, both text with one
// list line per line, bytes kept as they are (one byte, one character).
class ListFile {
public:
    // What is read of a file at most: past either bound the read fails, so that a huge file
    // cannot freeze the station or fill its memory.
    static constexpr int MaxLines = 10000;                   // list lines
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;  // bytes

    // A list line with the comment written just before it (after the previous list line).
    struct Line {
        QString text;
        QString comment; // without its ";"; empty when there is none
    };

    // The list lines of the file, each read into its fields; blank lines and lines starting with
    // ";" are skipped. Lines end at a line feed (a carriage return before it belongs to the line
    // end); a list line that still holds a carriage return or another control character is
    // refused with its number. Only a regular file is read (links as given). A missing file is
    // RuntimeError 53; anything else that stops the reading 75, its text saying why.
    static QList<ListFields> Read(const QString& nativePath, Files::Links links = Files::Links::Follow);
    // The same lines as text, each with the last comment line that stands before it.
    static QList<Line> ReadWithComments(const QString& nativePath, Files::Links links = Files::Links::Follow);
    // Writes a temporary file beside the target and renames it into place, creating the folder;
    // a line with a comment gets it on a line of its own, ";" first, just before it.
    // Throws RuntimeError 75 when the file cannot be written; the old file then stays.
    static void Write(const QString& nativePath, const QList<Line>& lines);
};
