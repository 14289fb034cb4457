#include "platform/Files.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Small enough to come from the heap, large enough that a big file takes few calls.
constexpr qsizetype CopyChunk = 256 * 1024;

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Writes everything or throws; retries short writes and interrupted calls.
void writeAll(int fd, const char* p, qsizetype left, const QString& path)
{
    while (left > 0) {
        const ssize_t n = Files::Calls().write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw RuntimeError::FromErrno(errno, path);
        }
        p += n;
        left -= n;
    }
}

// Opens the file for appending (creating it), lets write add to it, flushes it to the disk and
// closes it. When anything fails the file is cut back to the size it had.
void appendAndFlush(const QString& path, const std::function<void(int)>& write)
{
    const int fd = ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        throw RuntimeError::FromErrno(errno, path);
    struct stat st {};
    const off_t before = ::fstat(fd, &st) == 0 ? st.st_size : -1;
    try {
        write(fd);
        if (Files::Calls().fsync(fd) != 0 && errno != EINVAL)
            throw RuntimeError::FromErrno(errno, path);
    } catch (...) {
        if (before >= 0 && ::ftruncate(fd, before) != 0) {
            // Nothing more can be done; the caller reports the first failure.
        }
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) {
        const int err = errno;
        if (before >= 0 && ::truncate(encoded(path).constData(), before) != 0) {
            // As above.
        }
        throw RuntimeError::FromErrno(err, path);
    }
}
RuntimeError linkRefused(const QString& path)
{
    return RuntimeError(RuntimeError::PathFileAccessError, QStringLiteral("%1 is a symbolic link, which Tarvex does not follow there").arg(path));
}

RuntimeError notRegular(const QString& path)
{
    return RuntimeError(RuntimeError::PathFileAccessError, QStringLiteral("%1 is not a regular file (a folder, a pipe or a device)").arg(path));
}

// The bytes from offset on, at most most of them (all with most < 0), then closes the file.
// pread: what the descriptor's own position is does not matter.
QByteArray readAndClose(int fd, qint64 offset, qint64 most, const QString& path)
{
    QByteArray data;
    QByteArray buffer(most < 0 ? CopyChunk : std::clamp<qint64>(most, 1, CopyChunk), Qt::Uninitialized);
    while (most < 0 || data.size() < most) {
        const qint64 ask = most < 0 ? buffer.size() : std::min<qint64>(buffer.size(), most - data.size());
        const ssize_t n = ::pread(fd, buffer.data(), static_cast<size_t>(ask), offset + data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            throw RuntimeError::FromErrno(err, path);
        }
        if (n == 0)
            break;
        data.append(buffer.constData(), n);
    }
    ::close(fd);
    return data;
}
} // namespace

qint64 Files::AppendFile(const QString& from, const QString& to, bool& sourceFailed)
{
    sourceFailed = true;
    // A companion lies in a folder anyone may drop files into: a link there must not make
    // Tarvex copy a file from elsewhere.
    const int in = OpenForReading(from, Links::Refuse);
    sourceFailed = false;
    qint64 copied = 0;
    try {
        appendAndFlush(to, [&](int out) {
            struct stat source {};
            struct stat target {};
            if (::fstat(in, &source) == 0 && ::fstat(out, &target) == 0 && source.st_dev == target.st_dev &&
                source.st_ino == target.st_ino)
                throw RuntimeError(RuntimeError::PathFileAccessError, QStringLiteral("%1 is %2 itself").arg(to, from));
            QByteArray buffer(CopyChunk, Qt::Uninitialized);
            for (;;) {
                const ssize_t n = ::read(in, buffer.data(), static_cast<size_t>(buffer.size()));
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    sourceFailed = true;
                    throw RuntimeError::FromErrno(errno, from);
                }
                if (n == 0)
                    break;
                writeAll(out, buffer.constData(), n, to);
                copied += n;
            }
        });
    } catch (...) {
        ::close(in);
        throw;
    }
    ::close(in);
    return copied;
}

Files::SystemCalls Files::SystemDefaults()
{
    return {::write, ::fsync, ::rename};
}

Files::SystemCalls& Files::Calls()
{
    static SystemCalls calls = SystemDefaults();
    return calls;
}

int Files::OpenForReading(const QString& path, Links links)
{
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    if (links == Links::Refuse)
        flags |= O_NOFOLLOW;
    const int fd = ::open(encoded(path).constData(), flags);
    if (fd < 0) {
        const int err = errno;
        if (err == ELOOP && links == Links::Refuse)
            throw linkRefused(path);
        throw RuntimeError::FromErrno(err, path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw RuntimeError::FromErrno(err, path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw notRegular(path);
    }
    return fd;
}

QByteArray Files::ReadStart(const QString& path, qint64 bytes, Links links)
{
    return readAndClose(OpenForReading(path, links), 0, bytes, path);
}

QByteArray Files::ReadBounded(const QString& path, qint64 maxBytes, Links links)
{
    // One byte past the bound tells a file at the bound from a larger one.
    QByteArray data = ReadStart(path, maxBytes + 1, links);
    if (data.size() > maxBytes)
        throw RuntimeError(RuntimeError::PathFileAccessError,
                           QStringLiteral("%1 is larger than %2 bytes, more than Tarvex reads of it").arg(path).arg(maxBytes));
    return data;
}

void Files::WriteAtomically(const QString& path, const QByteArray& data, Folder folderRule)
{
    QString folder;
    if (folderRule == Folder::Create) {
        if (!MakeFolderOf(path, folder))
            throw RuntimeError(RuntimeError::PathNotFound, QStringLiteral("%1: the folder cannot be created").arg(folder));
    } else {
        folder = QFileInfo(path).absolutePath();
    }
    // Short, so that a target whose name is near the system's limit still gets one; hidden, so
    // that a left-over one is never taken for a program or a list.
    QByteArray temp = encoded(folder + QStringLiteral("/.tarvex-XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw RuntimeError::FromErrno(errno, path);
    try {
        writeAll(fd, data.constData(), data.size(), path);
        // The data must be on the disk before the name points at it: after a power cut the
        // rename could otherwise survive and the data not, leaving an empty file.
        if (Calls().fsync(fd) != 0)
            throw RuntimeError::FromErrno(errno, path);
        if (::fchmod(fd, 0644) != 0) {
            // mkstemp made it 0600; a file others cannot read is still a complete file.
        }
    } catch (...) {
        ::close(fd);
        ::unlink(temp.constData());
        throw;
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        throw RuntimeError::FromErrno(err, path);
    }
    if (Calls().rename(temp.constData(), encoded(path).constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        throw RuntimeError::FromErrno(err, path);
    }
    // The rename itself is kept by the folder; a folder that cannot be flushed still holds it,
    // so a failure here changes nothing the caller could act on.
    const int dir = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        if (::fsync(dir) != 0) {
        }
        ::close(dir);
    }
}

void Files::WriteOver(const QString& path, const QByteArray& data, Tail tail)
{
    const int fd = ::open(encoded(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int err = errno;
        if (err == ELOOP)
            throw linkRefused(path);
        throw RuntimeError::FromErrno(err, path);
    }
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            throw RuntimeError::FromErrno(errno, path);
        if (!S_ISREG(st.st_mode))
            throw notRegular(path);
        writeAll(fd, data.constData(), data.size(), path);
        // Cutting only when the file is longer: truncating costs a flush to the disk on close.
        if (tail == Tail::Cut && st.st_size > data.size() && ::ftruncate(fd, data.size()) != 0)
            throw RuntimeError::FromErrno(errno, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        throw RuntimeError::FromErrno(errno, path);
}

QByteArray Files::ReadFrom(const QString& path, qint64 offset)
{
    return readAndClose(OpenForReading(path), offset, -1, path);
}

bool Files::MakeFolderOf(const QString& path, QString& folder)
{
    folder = QFileInfo(path).absolutePath();
    return QDir().mkpath(folder);
}

void Files::Remove(const QString& path)
{
    if (::unlink(encoded(path).constData()) != 0)
        throw RuntimeError::FromErrno(errno, path);
}

void Files::Truncate(const QString& path, qint64 size)
{
    const int fd = ::open(encoded(path).constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw RuntimeError::FromErrno(errno, path);
    if (::ftruncate(fd, size) != 0 || Calls().fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        throw RuntimeError::FromErrno(err, path);
    }
    ::close(fd);
}

bool Files::SameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(encoded(a).constData(), &first) == 0 && ::stat(encoded(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

qint64 Files::Size(const QString& path)
{
    struct stat st {};
    if (::stat(encoded(path).constData(), &st) != 0)
        return -1;
    return st.st_size;
}
