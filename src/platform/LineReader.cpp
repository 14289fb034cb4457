#include "platform/LineReader.h"

#include "platform/Files.h"
#include "platform/RuntimeError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Small enough that a header costs one read, large enough for long program lines.
constexpr qsizetype ChunkSize = 16 * 1024;

QString describe(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}
} // namespace

LineReader::LineReader(const QString& nativePath) : path_(nativePath) {}

LineReader::~LineReader()
{
    Close();
}

bool LineReader::Open()
{
    Close();
    failed_ = false;
    error_.clear();
    // A name that turns out to be a pipe or a device must not hold the scan up or feed it
    // without end: only a regular file is read.
    try {
        fd_ = Files::OpenForReading(path_);
    } catch (const RuntimeError& e) {
        error_ = e.Description();
        return false;
    }
    return true;
}

void LineReader::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool LineReader::Fill()
{
    pos_ = 0;
    buffer_.resize(ChunkSize);
    ssize_t n = 0;
    do
        n = ::read(fd_, buffer_.data(), static_cast<size_t>(ChunkSize));
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        error_ = describe(errno);
        failed_ = true;
        n = 0;
    }
    buffer_.truncate(n);
    return n > 0;
}

bool LineReader::ReadLine(QString& line)
{
    if (failed_)
        return false;
    QByteArray pending;
    bool any = false;
    for (;;) {
        if (pos_ >= buffer_.size() && !Fill()) {
            // A last line without a line end still counts; nothing after a line end is no line.
            if (failed_ || !any)
                return false;
            line = QString::fromLatin1(pending);
            return true;
        }
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (buffer_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        const char* begin = buffer_.constData() + pos_;
        const char* end = buffer_.constData() + buffer_.size();
        const char* p = begin;
        while (p != end && *p != '\r' && *p != '\n')
            ++p;
        any = true;
        if (pending.size() + (p - begin) > MaxLineLength) {
            error_ = QStringLiteral("a line is longer than %1 characters").arg(MaxLineLength);
            failed_ = true;
            return false;
        }
        if (p == end) {
            // The line goes on in the next chunk.
            pending.append(begin, p - begin);
            pos_ = buffer_.size();
            continue;
        }
        pos_ = (p - buffer_.constData()) + 1;
        if (*p == '\r') {
            if (pos_ < buffer_.size()) {
                if (buffer_[pos_] == '\n')
                    ++pos_;
            } else {
                skipLineFeed_ = true;
            }
        }
        if (pending.isEmpty()) {
            line = QString::fromLatin1(begin, p - begin);
        } else {
            pending.append(begin, p - begin);
            line = QString::fromLatin1(pending);
        }
        return true;
    }
}
