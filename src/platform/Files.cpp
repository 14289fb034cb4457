#include "platform/Files.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Writes everything or throws; retries short writes and interrupted calls.
void writeAll(int fd, const QByteArray& data, const QString& path)
{
    const char* p = data.constData();
    qsizetype left = data.size();
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
} // namespace

QByteArray Files::ReadAll(const QString& path)
{
    // Without blocking, a pipe in place of a file gives an error instead of holding the scan up.
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw RuntimeError::FromErrno(errno, path);
    // Read straight into a buffer of the file's size; one byte more shows that the file grew.
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    QByteArray data(regular ? static_cast<qsizetype>(st.st_size) + 1 : 65536, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == data.size())
            data.resize(data.size() * 2);
        const ssize_t n = ::read(fd, data.data() + size, static_cast<size_t>(data.size() - size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            throw RuntimeError::FromErrno(err, path);
        }
        if (n == 0)
            break;
        size += n;
    }
    ::close(fd);
    data.truncate(size);
    return data;
}

void Files::Append(const QString& path, const QByteArray& data)
{
    const int fd = ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        throw RuntimeError::FromErrno(errno, path);
    struct stat st {};
    const off_t before = ::fstat(fd, &st) == 0 ? st.st_size : -1;
    try {
        writeAll(fd, data, path);
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

void Files::WriteAtomically(const QString& path, const QByteArray& data)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw RuntimeError(RuntimeError::PathNotFound, QStringLiteral("%1: the folder cannot be created").arg(folder));
    QByteArray temp = encoded(path) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw RuntimeError::FromErrno(errno, path);
    try {
        writeAll(fd, data, path);
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

void Files::Remove(const QString& path)
{
    if (::unlink(encoded(path).constData()) != 0)
        throw RuntimeError::FromErrno(errno, path);
}

qint64 Files::Size(const QString& path)
{
    struct stat st {};
    if (::stat(encoded(path).constData(), &st) != 0)
        return -1;
    return st.st_size;
}
