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
    // Text kept for a scan of its own (a remainder after a "%", or what came during processing)
    // is handled after the scan that kept it: wait for that one too, or this scan would come
    // while Tarvex is busy and be discarded with the input as it reads a label.
    const auto scansLeft = [&tarvex](const QStringList& log) {
        const qsizetype kept = log.filter(QStringLiteral("remainder kept as the next scan")).size() +
                               log.filter(QStringLiteral("arrived during processing; kept for the next scan")).size();
        return kept - log.filter(QStringLiteral("scan handled")).size();
    };
    const qsizetype before = scansLeft(tarvex.Log());
    process_.write(text + '\n');
    process_.waitForBytesWritten(1000);
    return tarvex.WaitFor([&] { return scansLeft(tarvex.Log()) < before; });
}

QByteArray ScannerProcess::Replies()
{
    process_.waitForReadyRead(200);
    replies_ += process_.readAllStandardOutput();
    return replies_;
}
