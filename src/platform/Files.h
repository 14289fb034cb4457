#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <sys/types.h>

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

    // What a read does with a symbolic link in place of the file: files that Tarvex keeps in its
    // own folders refuse one, so that a link planted there cannot make it read or write elsewhere.
    enum class Links { Follow, Refuse };

    // Opens the file for reading without blocking and makes sure it is a regular file, so that a
    // pipe, a device or a folder in its place is refused at once instead of hanging the station
    // or filling the memory. Returns the descriptor; the caller closes it. A missing file is
    // RuntimeError 53, anything else refused 75, each with a text that names the file and why.
    static int OpenForReading(const QString& path, Links links = Links::Follow);

    // The whole file, opened as OpenForReading does; a file larger than maxBytes is refused
    // (error 75, its text giving the bound) without reading more than the bound.
    static QByteArray ReadBounded(const QString& path, qint64 maxBytes, Links links = Links::Follow);
    // At most the first bytes of the file, opened as OpenForReading does.
    static QByteArray ReadStart(const QString& path, qint64 bytes, Links links = Links::Follow);

    enum class Folder { Create, MustExist };

    // Replaces the file through a temporary file in the same folder that is renamed into place,
    // so a crash or a full disk never leaves a half-written file: every write and the flush to
    // the disk are checked before the rename, and on any failure the old file stays as it was and
    // RuntimeError says why. The temporary name is short, so a file name near the system's
    // limit can still be written. A link in place of the file is replaced, never followed.
    static void WriteAtomically(const QString& path, const QByteArray& data, Folder folder = Folder::Create);

    // The system calls behind the writes. Tests put in their own to make a write fail part-way
    // or to see the order of the calls; everything else uses the system's.
    struct SystemCalls {
        std::function<ssize_t(int, const void*, size_t)> write;
        std::function<int(int)> fsync;
        std::function<int(const char*, const char*)> rename;
    };
    static SystemCalls& Calls();
    static SystemCalls SystemDefaults();

    // Writes data over the start of the file, creating it; with Tail::Keep a longer file keeps
    // the rest of its bytes, with Tail::Cut it ends where the data ends. A link or anything but
    // a regular file in its place is refused (error 75): work files lie in a shared folder, and
    // a planted link must not make Tarvex write elsewhere.
    enum class Tail { Keep, Cut };
    static void WriteOver(const QString& path, const QByteArray& data, Tail tail);

    // The file's bytes from offset to its end; empty when it is no longer than offset. Only a
    // regular file is read (see OpenForReading).
    static QByteArray ReadFrom(const QString& path, qint64 offset);

    // Creates the folder that holds the file, with its parents, when it is missing. False when
    // it cannot be created; folder names it either way.
    static bool MakeFolderOf(const QString& path, QString& folder);

    static void Remove(const QString& path);

    // Cuts the file to size bytes, and flushes it to the disk.
    static void Truncate(const QString& path, qint64 size);

    // True when both paths name one file (the same device and inode), through links or not.
    static bool SameFile(const QString& a, const QString& b);

    // The file's size, or -1 when it does not exist or cannot be examined.
    static qint64 Size(const QString& path);
};
