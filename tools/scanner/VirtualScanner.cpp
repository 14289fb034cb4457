#include "scanner/VirtualScanner.h"

#include "scanner/ScanEscapes.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

VirtualScanner::VirtualScanner(Options options, QObject* parent) : QObject(parent), options_(std::move(options))
{
    pacer_.setInterval(options_.pace > 0 ? 1000 / options_.pace : 0);
    connect(&pacer_, &QTimer::timeout, this, &VirtualScanner::sendCharacter);
    gap_.setSingleShot(true);
    connect(&gap_, &QTimer::timeout, this, &VirtualScanner::sendNext);
    linger_.setSingleShot(true);
    connect(&linger_, &QTimer::timeout, QCoreApplication::instance(), &QCoreApplication::quit);
}

VirtualScanner::~VirtualScanner()
{
    if (!options_.link.isEmpty())
        ::unlink(QFile::encodeName(options_.link).constData());
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

bool VirtualScanner::Open()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        std::fprintf(stderr, "tarvex-scanner: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    const char* name = ::ptsname(master_);
    device_ = QString::fromLocal8Bit(name);
    // Holding the slave side keeps the line up while Tarvex closes and reopens its port, and raw
    // mode keeps the terminal from echoing scans back as replies before Tarvex has opened it.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    termios tio{};
    if (slave_ >= 0 && ::tcgetattr(slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
    if (!options_.link.isEmpty()) {
        const QByteArray link = QFile::encodeName(options_.link);
        ::unlink(link.constData());
        if (::symlink(name, link.constData()) != 0) {
            std::fprintf(stderr, "tarvex-scanner: cannot link %s to %s: %s\n", link.constData(), name, std::strerror(errno));
            options_.link.clear();
            return false;
        }
    }
    replies_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(replies_, &QSocketNotifier::activated, this, &VirtualScanner::readReplies);
    if (options_.waitMs > 0) {
        busy_ = true;
        gap_.start(options_.waitMs);
    }
    return true;
}

void VirtualScanner::AddLine(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    AddScan(ScanEscapes::Decode(line));
}

void VirtualScanner::AddScan(const QByteArray& scan)
{
    if (scan.isEmpty())
        return;
    queue_.append(scan);
    if (!busy_)
        sendNext();
}

void VirtualScanner::EndOfInput()
{
    ended_ = true;
    maybeFinish();
}

void VirtualScanner::sendNext()
{
    busy_ = false;
    if (queue_.isEmpty()) {
        maybeFinish();
        return;
    }
    busy_ = true;
    current_ = queue_.takeFirst();
    sent_ = 0;
    std::fprintf(stderr, "sending: %s\n", ScanEscapes::Encode(current_).constData());
    if (options_.pace > 0) {
        pacer_.start();
        return;
    }
    while (sent_ < current_.size()) {
        const ssize_t n = ::write(master_, current_.constData() + sent_, static_cast<size_t>(current_.size() - sent_));
        if (n <= 0) {
            std::fprintf(stderr, "tarvex-scanner: write failed: %s\n", std::strerror(errno));
            break;
        }
        sent_ += n;
    }
    scanDone();
}

void VirtualScanner::sendCharacter()
{
    if (sent_ < current_.size() && ::write(master_, current_.constData() + sent_, 1) == 1)
        ++sent_;
    if (sent_ >= current_.size()) {
        pacer_.stop();
        scanDone();
    }
}

void VirtualScanner::scanDone()
{
    gap_.start(options_.gapMs);
}

void VirtualScanner::maybeFinish()
{
    if (ended_ && !busy_ && queue_.isEmpty() && !linger_.isActive())
        linger_.start(options_.lingerMs);
}

void VirtualScanner::readReplies()
{
    char buffer[256];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && errno != EAGAIN && errno != EIO)
            std::fprintf(stderr, "tarvex-scanner: read failed: %s\n", std::strerror(errno));
        return;
    }
    // One printed line per reply: a line ends after each carriage return or line feed.
    for (ssize_t i = 0; i < n; ++i) {
        replyLine_ += buffer[i];
        if (buffer[i] == '\r' || buffer[i] == '\n') {
            std::printf("%s\n", ScanEscapes::Encode(replyLine_).constData());
            std::fflush(stdout);
            replyLine_.clear();
        }
    }
}
