#include "e2e/TarvexProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {
QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TarvexProcess::TarvexProcess()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
        slave_ = QString::fromLocal8Bit(ptsname(master_));
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    QDir().mkpath(ConfigFolder());
    QDir().mkpath(DataFolder());
    QDir().mkpath(DriveC());
}

TarvexProcess::~TarvexProcess()
{
    Stop();
    if (master_ >= 0)
        ::close(master_);
}

QString TarvexProcess::ConfigFolder() const
{
    return dir_.path() + QStringLiteral("/config/tarvex");
}

QString TarvexProcess::DataFolder() const
{
    return dir_.path() + QStringLiteral("/data/tarvex");
}

QString TarvexProcess::DriveC() const
{
    return DataFolder() + QStringLiteral("/drive_c");
}

QString TarvexProcess::ScannerDevice() const
{
    return slave_;
}

void TarvexProcess::Configure(const QByteArray& gestbcodKeys, const QByteArray& moreSections)
{
    QFile f(ConfigFolder() + QStringLiteral("/ZEM.INI"));
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write("[GESTBCOD]\r\nCommPollTime=100\r\nCommPort=1\r\n" + gestbcodKeys + "[Ports]\r\nCOM1=" +
            (port_.isEmpty() ? slave_ : port_).toLocal8Bit() +
            "\r\n" + moreSections);
}

QProcessEnvironment TarvexProcess::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), dir_.path() + QStringLiteral("/state"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), Platform);
    return env;
}

int TarvexProcess::RunAnother(const QStringList& arguments, QByteArray* output, QByteArray* errors)
{
    QProcess another;
    another.setProcessEnvironment(environment());
    if (!errors)
        another.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!output)
        another.setStandardOutputFile(QProcess::nullDevice());
    another.start(QStringLiteral(TARVEX_EXECUTABLE), FixedArguments + arguments);
    if (!another.waitForFinished(15000)) {
        another.kill();
        another.waitForFinished(5000);
        return -1;
    }
    if (output)
        *output = another.readAllStandardOutput();
    if (errors)
        *errors = another.readAllStandardError();
    return another.exitCode();
}

bool TarvexProcess::Start(const QStringList& arguments, const QString& record, std::chrono::milliseconds poll)
{
    process_.setProcessEnvironment(environment());
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.setStandardOutputFile(QProcess::nullDevice());
    // A test program that is killed (at a time-out) takes its tarvex along.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(QStringLiteral(TARVEX_EXECUTABLE), FixedArguments + arguments);
    if (!process_.waitForStarted(10000))
        return false;
    return WaitFor([&] { return Log().join(QLatin1Char('\n')).contains(record); }, std::chrono::seconds(15), poll);
}

void TarvexProcess::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void TarvexProcess::Send(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
        if (n > 0)
            done += n;
    }
}

void TarvexProcess::Scan(const QByteArray& bytes)
{
    const qsizetype before = Log().size();
    Send(bytes);
    // Handled: the log records what became of the scan after its two idle ticks.
    WaitFor([&] {
        const QStringList log = Log();
        for (qsizetype i = before; i < log.size(); ++i) {
            if (log[i].contains(QStringLiteral("scan handled")))
                return true;
        }
        return false;
    });
}

QByteArray TarvexProcess::Replies(std::chrono::milliseconds wait)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < wait.count()) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0)
                replies_.append(buffer, n);
        }
    }
    return replies_;
}

QStringList TarvexProcess::Log() const
{
    return QString::fromUtf8(readFile(DataFolder() + QStringLiteral("/tarvex.log"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList TarvexProcess::Journal() const
{
    QStringList lines;
    const QStringList raw = QString::fromUtf8(readFile(DataFolder() + QStringLiteral("/listmanager.log"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : raw)
        lines << line.section(QLatin1Char('\t'), 1);
    return lines;
}

bool TarvexProcess::WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
                            std::chrono::milliseconds poll)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeout.count()) {
        if (condition())
            return true;
        QThread::msleep(static_cast<unsigned long>(poll.count()));
    }
    return condition();
}

bool TarvexProcess::WaitForAcknowledgement(QProcess& scanner)
{
    QByteArray replies;
    const bool acknowledged = WaitFor([&] {
        scanner.waitForReadyRead(50);
        replies += scanner.readAllStandardOutput();
        return replies.contains("ACK");
    });
    scanner.terminate();
    scanner.waitForFinished(5000);
    return acknowledged;
}
