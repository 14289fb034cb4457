#pragma once

#include <QString>
#include <QStringList>

// The embedded list manager's files: list files (.LST) and its own saved work list, both text
// with one list line per line, bytes kept as they are (one byte, one character).
class ListFile {
public:
    // The list lines of the file; blank lines and lines starting with ";" are skipped.
    // A missing file is RuntimeError 53, any other failure to read 75.
    static QStringList Read(const QString& nativePath);
    // Writes a temporary file beside the target and renames it into place, creating the folder.
    // Throws RuntimeError when the file cannot be written.
    static void Write(const QString& nativePath, const QStringList& lines);
};
