#include "platform/LogFile.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

LogFile::~LogFile()
{
    Close();
}

void LogFile::Write(const QByteArray& line, bool complain)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const QString path = Log::FilePath();
    bool ok = IsCurrent(path) || Open(path);
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
        }
    }
    if (!ok && complain)
        std::fprintf(stderr, "log: cannot write %s: %s\n", qPrintable(path), std::strerror(errno));
}

bool LogFile::IsCurrent(const QString& path) const
{
    if (fd_ < 0 || path != path_)
        return false;
    struct stat named {};
    return ::stat(encodedPath_.constData(), &named) == 0 && named.st_dev == device_ && named.st_ino == inode_;
}

bool LogFile::Open(const QString& path)
{
    Close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        errno = error;
        return false;
    }
    fd_ = fd;
    path_ = path;
    encodedPath_ = encoded;
    device_ = opened.st_dev;
    inode_ = opened.st_ino;
    return true;
}

void LogFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
