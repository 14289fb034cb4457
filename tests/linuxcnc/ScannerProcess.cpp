#include "ScannerProcess.h"

#include "e2e/TarvexProcess.h"

#include <csignal>
#include <sys/prctl.h>

ScannerProcess::ScannerProcess() = default;

ScannerProcess::~ScannerProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(3000);
    }
}

QString ScannerProcess::Start()
{
    // CommPollTime=100: a scan ends after two silent ticks, so 400 ms keep scans apart. Replies
    // are read for as long as the test runs.
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test program that is killed takes its scanner along.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(QStringLiteral(TARVEX_SCANNER), {QStringLiteral("--gap"), QStringLiteral("400"), QStringLiteral("--linger"),
                                                    QStringLiteral("600000")});
    if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(5000))
        return QString();
    return QString::fromLocal8Bit(process_.readLine()).trimmed();
}

bool ScannerProcess::Scan(TarvexProcess& tarvex, const QByteArray& text)
{
    const qsizetype handled = tarvex.Log().filter(QStringLiteral("scan handled")).size();
    process_.write(text + '\n');
    process_.waitForBytesWritten(1000);
    return tarvex.WaitFor([&] { return tarvex.Log().filter(QStringLiteral("scan handled")).size() > handled; });
}

QByteArray ScannerProcess::Replies()
{
    process_.waitForReadyRead(200);
    replies_ += process_.readAllStandardOutput();
    return replies_;
}
