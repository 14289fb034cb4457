#include "platform/LogFile.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int openForAppending(const QByteArray& encodedPath, struct stat& opened)
{
    const int fd = ::open(encodedPath.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0 && ::fstat(fd, &opened) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}
} // namespace

LogFile::LogFile(qint64 limit, int keep, QString path) : limit_(limit), keep_(qMax(1, keep)), fixedPath_(std::move(path))
{
}

LogFile::~LogFile()
{
    Close();
}

bool LogFile::Write(const QByteArray& line, bool complain)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const QString path = fixedPath_.isEmpty() ? Log::FilePath() : fixedPath_;
    bool ok = IsCurrent(path) || Open(path);
    if (ok && size_ > 0 && size_ + line.size() > limit_ && size_ >= retryRotationAt_)
        Rotate(path);
    const char* data = line.constData();
    size_t left = static_cast<size_t>(line.size());
    while (ok && left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        ok = written > 0;
        if (ok) {
            data += written;
            left -= static_cast<size_t>(written);
            size_ += written;
        }
    }
    if (!ok && complain)
        std::fprintf(stderr, "log: cannot write %s: %s\n", qPrintable(path), std::strerror(errno));
    return ok;
}

QString LogFile::TakeRotationFailure()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    QString failure;
    failure.swap(rotationFailure_);
    return failure;
}

bool LogFile::IsCurrent(const QString& path)
{
    if (fd_ < 0 || path != path_)
        return false;
    struct stat named {};
    if (::stat(encodedPath_.constData(), &named) != 0 || named.st_dev != device_ || named.st_ino != inode_)
        return false;
    // What another writer of the same file added counts as well.
    size_ = named.st_size;
    return true;
}

bool LogFile::Open(const QString& path)
{
    Close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray encoded = QFile::encodeName(path);
    struct stat opened {};
    const int fd = openForAppending(encoded, opened);
    if (fd < 0)
        return false;
    fd_ = fd;
    path_ = path;
    encodedPath_ = encoded;
    device_ = opened.st_dev;
    inode_ = opened.st_ino;
    size_ = opened.st_size;
    retryRotationAt_ = 0;
    return true;
}

void LogFile::Rotate(const QString& path)
{
    // From the oldest down: .2 replaces .3 (dropping it), then .1 moves to .2 and the log to .1,
    // so no kept file is replaced before it has moved on. A step that fails stops the rotation
    // with every record still in some file.
    for (int i = keep_; i >= 1; --i) {
        const QString from = i == 1 ? path : path + QLatin1Char('.') + QString::number(i - 1);
        const QString to = path + QLatin1Char('.') + QString::number(i);
        if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0 && errno != ENOENT) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            rotationFailed(QStringLiteral("log: cannot rename %1 to %2 (%3); the log goes on growing in %4").arg(from, to, reason, path));
            return;
        }
    }
    struct stat opened {};
    const int fd = openForAppending(encodedPath_, opened);
    if (fd < 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        // The open file goes back to its name and takes the records as before.
        const QString moved = path + QStringLiteral(".1");
        if (::rename(QFile::encodeName(moved).constData(), encodedPath_.constData()) == 0) {
            rotationFailed(QStringLiteral("log: cannot create %1 (%2); the log goes on growing").arg(path, reason));
        } else {
            rotationFailed(QStringLiteral("log: cannot create %1 (%2), nor rename %3 back to it (%4); the records go on into %3")
                               .arg(path, reason, moved, QString::fromLocal8Bit(std::strerror(errno))));
        }
        return;
    }
    ::close(fd_);
    fd_ = fd;
    device_ = opened.st_dev;
    inode_ = opened.st_ino;
    size_ = opened.st_size;
    retryRotationAt_ = 0;
    rotationFailureTold_ = false;
}

void LogFile::rotationFailed(const QString& why)
{
    // Trying on every record would cost renames each time; never trying again would let the log
    // grow without bound once the cause is gone.
    retryRotationAt_ = size_ + qMax<qint64>(limit_ / 10, 1);
    if (!rotationFailureTold_)
        rotationFailure_ = why;
    rotationFailureTold_ = true;
}

void LogFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
