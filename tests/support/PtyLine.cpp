#include "support/PtyLine.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyLine::PtyLine()
{
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return;
    device = QString::fromLocal8Bit(::ptsname(master));
    // Raw from the start, so nothing written before the port opens is echoed back.
    slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
}

PtyLine::~PtyLine()
{
    Hangup();
    if (slave >= 0)
        ::close(slave);
}

void PtyLine::Send(const QByteArray& bytes)
{
    ASSERT_EQ(::write(master, bytes.constData(), bytes.size()), bytes.size());
}

QByteArray PtyLine::Receive(int bytes)
{
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < bytes && clock.elapsed() < 2000) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char buffer[64];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, n);
        }
    }
    return got;
}

void PtyLine::Hangup()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}
