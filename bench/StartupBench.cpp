// Start-up of the real tarvex ("NOAPP UNATTENDED", offscreen, its own configuration and data
// folders, a pseudo-terminal as the scanner) until its log says start-up is done, and its
// resident memory at that moment. The reference is a shell that writes the same log line and
// then sleeps: what starting any process and noticing its log line costs here.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {
const QString doneRecord = QStringLiteral("start-up done");

// VmRSS of the process in kB, 0 when it cannot be read.
double residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

class Station {
public:
    Station()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        const QByteArray device = master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 ? ptsname(master_) : "";
        QDir().mkpath(dir_.path() + QStringLiteral("/config/tarvex"));
        QDir().mkpath(DataFolder());
        QFile ini(dir_.path() + QStringLiteral("/config/tarvex/ZEM.INI"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[GESTBCOD]\r\nCommPollTime=100\r\nCommPort=1\r\n[Ports]\r\nCOM1=" + device + "\r\n");
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path() + QStringLiteral("/config"));
        env_.insert(QStringLiteral("XDG_DATA_HOME"), dir_.path() + QStringLiteral("/data"));
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    ~Station()
    {
        if (master_ >= 0)
            ::close(master_);
    }
    QString DataFolder() const { return dir_.path() + QStringLiteral("/data/tarvex"); }
    QString LogPath() const { return DataFolder() + QStringLiteral("/tarvex.log"); }

    // Starts the program, waits for the start-up record in the log; false after 30 s.
    bool Run(const QString& program, const QStringList& arguments, double& seconds, double& rssKb)
    {
        QFile::remove(LogPath());
        QProcess process;
        process.setProcessEnvironment(env_);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        process.start(program, arguments);
        bool done = false;
        while (!done && timer.elapsed() < 30000 && process.state() != QProcess::NotRunning) {
            QFile log(LogPath());
            done = log.open(QIODevice::ReadOnly) && log.readAll().contains(doneRecord.toUtf8());
            if (!done)
                QThread::usleep(500);
        }
        seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        rssKb = done ? residentKb(process.processId()) : 0;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
        return done;
    }

private:
    QTemporaryDir dir_;
    QProcessEnvironment env_;
    int master_ = -1;
};

void measure(benchmark::State& state, const QString& program, const QStringList& arguments)
{
    Station station;
    double rss = 0;
    for (auto _ : state) {
        double seconds = 0;
        double kb = 0;
        if (!station.Run(program, arguments, seconds, kb)) {
            state.SkipWithError("start-up was not logged within 30 s");
            break;
        }
        state.SetIterationTime(seconds);
        rss += kb;
    }
    state.counters["VmRSS_kB"] = benchmark::Counter(rss, benchmark::Counter::kAvgIterations);
}

void BM_StartupTarvex(benchmark::State& state)
{
    measure(state, QStringLiteral(TARVEX_EXECUTABLE), {QStringLiteral("NOAPP"), QStringLiteral("UNATTENDED")});
}

void BM_StartupShell(benchmark::State& state)
{
    measure(state, QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("mkdir -p \"$XDG_DATA_HOME/tarvex\" && echo '%1' >> \"$XDG_DATA_HOME/tarvex/tarvex.log\" && exec sleep 60").arg(doneRecord)});
}
} // namespace

BENCHMARK(BM_StartupTarvex)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupShell)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
