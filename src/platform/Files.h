#pragma once

#include <QByteArray>
#include <QString>

// Whole-file operations on native paths, with failures as RuntimeError (number and text), so
// that every caller can tell the operator what went wrong. Bytes are written as they are.
class Files {
public:
    // Appends the whole of the file from to the file to, a piece at a time so that a big file is
    // never held in memory, flushes it to the disk and closes it; creates it when missing. When
    // anything fails it is cut back to the size it had, so a failed append leaves no half record
    // behind. Returns the bytes appended. On failure sourceFailed tells whether reading from
    // (true) or writing to (false) failed. A file is never appended to itself (it would grow
    // until the disk is full): that fails as a write.
    static qint64 AppendFile(const QString& from, const QString& to, bool& sourceFailed);

    // Replaces the file through a temporary file in the same folder that is renamed into place,
    // so a crash or a full disk never leaves a half-written file. Creates the folder when missing.
    static void WriteAtomically(const QString& path, const QByteArray& data);

    // The file's bytes from offset to its end; empty when it is no longer than offset.
    static QByteArray ReadFrom(const QString& path, qint64 offset);

    // Creates the folder that holds the file, with its parents, when it is missing. False when
    // it cannot be created; folder names it either way.
    static bool MakeFolderOf(const QString& path, QString& folder);

    static void Remove(const QString& path);

    // True when both paths name one file (the same device and inode), through links or not.
    static bool SameFile(const QString& a, const QString& b);

    // The file's size, or -1 when it does not exist or cannot be examined.
    static qint64 Size(const QString& path);
};
