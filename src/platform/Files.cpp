#include "platform/Files.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
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
        if (::fsync(fd) != 0 && errno != EINVAL)
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
} // namespace

qint64 Files::AppendFile(const QString& from, const QString& to, bool& sourceFailed)
{
    sourceFailed = true;
    // Without blocking, a pipe in place of a file gives an error or nothing instead of holding
    // the scan up.
    const int in = ::open(encoded(from).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        throw RuntimeError::FromErrno(errno, from);
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

void Files::WriteAtomically(const QString& path, const QByteArray& data)
{
    QString folder;
    if (!MakeFolderOf(path, folder))
        throw RuntimeError(RuntimeError::PathNotFound, QStringLiteral("%1: the folder cannot be created").arg(folder));
    QByteArray temp = encoded(path) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw RuntimeError::FromErrno(errno, path);
    try {
        writeAll(fd, data.constData(), data.size(), path);
        if (::fsync(fd) != 0 && errno != EINVAL)
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
    if (::rename(temp.constData(), encoded(path).constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        throw RuntimeError::FromErrno(err, path);
    }
}

QByteArray Files::ReadFrom(const QString& path, qint64 offset)
{
    // Without blocking, as in AppendFile.
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw RuntimeError::FromErrno(errno, path);
    QByteArray data;
    QByteArray buffer(CopyChunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::pread(fd, buffer.data(), static_cast<size_t>(buffer.size()), offset + data.size());
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
