#include "platform/LineReader.h"

namespace {
// Small enough that a header costs one read, large enough for long program lines.
constexpr qint64 ChunkSize = 16 * 1024;
} // namespace

LineReader::LineReader(const QString& nativePath) : file_(nativePath) {}

bool LineReader::Open()
{
    failed_ = false;
    return file_.open(QIODevice::ReadOnly);
}

void LineReader::Close()
{
    file_.close();
}

bool LineReader::Fill()
{
    buffer_ = file_.read(ChunkSize);
    pos_ = 0;
    if (buffer_.isEmpty() && file_.error() != QFileDevice::NoError)
        failed_ = true;
    return !buffer_.isEmpty();
}

bool LineReader::ReadLine(QString& line)
{
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
        pending.append(begin, p - begin);
        any = true;
        if (p == end) {
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
        line = QString::fromLatin1(pending);
        return true;
    }
}
