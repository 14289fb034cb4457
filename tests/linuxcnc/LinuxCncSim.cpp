#include "LinuxCncSim.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString scripts = QStringLiteral(TARVEX_LINUXCNC_SCRIPTS);
const QString python = QStringLiteral("/usr/bin/python3");

// What a signal handler runs to stop the simulation: prepared beforehand, as a handler may only
// fork and exec.
char stopScript[4096];
char stopRun[4096];

void stopInEmergency(int number)
{
    if (stopRun[0] != '\0') {
        const pid_t child = ::fork();
        if (child == 0) {
            char sh[] = "/bin/sh";
            char* argv[] = {sh, stopScript, stopRun, nullptr};
            ::execv(sh, argv);
            ::_exit(127);
        }
        if (child > 0)
            ::waitpid(child, nullptr, 0);
    }
    std::signal(number, SIG_DFL);
    std::raise(number);
}

QString run(const QString& program, const QStringList& arguments, int timeoutMs, int* exitCode = nullptr)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARVEX_SIM_OWNER_PID"), QString::number(QCoreApplication::applicationPid()));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
    }
    const QByteArray err = process.readAllStandardError();
    if (!err.isEmpty())
        fprintf(stderr, "%s", err.constData());
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}
} // namespace

LinuxCncSim& LinuxCncSim::Instance()
{
    static LinuxCncSim sim;
    return sim;
}

bool LinuxCncSim::Start(quint16 port, bool unhomed)
{
    if (Running())
        return true;
    QStringList arguments{scripts + QStringLiteral("/start-sim.sh")};
    if (unhomed)
        arguments << QStringLiteral("--bare");
    if (port)
        arguments << QString::number(port);
    int code = 0;
    const QString out = run(QStringLiteral("/bin/sh"), arguments, 120000, &code);
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("TARVEX_SIM_RUN=")))
            run_ = line.section(QLatin1Char('='), 1);
        else if (line.startsWith(QLatin1String("TARVEX_SIM_PORT=")))
            port_ = static_cast<quint16>(line.section(QLatin1Char('='), 1).toUInt());
    }
    armEmergencyStop();
    if (code != 0 || run_.isEmpty())
        return false;
    if (!unhomed)
        return true;
    // --bare leaves it in E-stop: out of it and on, as an operator would, but not homed. A Tarvex
    // that connects meanwhile takes the control from rsh.py once; then it is asked again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (Rsh({QStringLiteral("set estop off"), QStringLiteral("until 10 ESTOP OFF | get estop"), QStringLiteral("set machine on"),
                 QStringLiteral("until 10 MACHINE ON | get machine")}))
            return true;
        QThread::msleep(300);
    }
    return false;
}

bool LinuxCncSim::Stop()
{
    if (!Running())
        return true;
    int code = 0;
    run(QStringLiteral("/bin/sh"), {scripts + QStringLiteral("/stop-sim.sh"), run_}, 120000, &code);
    run_.clear();
    armEmergencyStop();
    return code == 0;
}

bool LinuxCncSim::Restart(bool unhomed)
{
    const quint16 port = port_;
    return Stop() && Start(port, unhomed);
}

bool LinuxCncSim::Reset()
{
    // A test may have left a program running or paused, or the machine in E-stop; homing
    // survives both.
    return Rsh({QStringLiteral("set estop off"), QStringLiteral("until 10 ESTOP OFF | get estop"), QStringLiteral("set machine on"),
                QStringLiteral("until 10 MACHINE ON | get machine"), QStringLiteral("set abort"),
                QStringLiteral("until 10 PROGRAM_STATUS IDLE | get program_status"), QStringLiteral("set mode manual"),
                QStringLiteral("until 10 MODE MANUAL | get mode")}) &&
           (Get(QStringLiteral("get joint_homed")).startsWith(QLatin1String("JOINT_HOMED YES YES YES")) ||
            Rsh({QStringLiteral("set teleop_enable off"), QStringLiteral("set home -1"),
                 QStringLiteral("until 20 JOINT_HOMED YES YES YES | get joint_homed")}));
}

bool LinuxCncSim::EStop()
{
    return Rsh({QStringLiteral("set estop on"), QStringLiteral("until 10 ESTOP ON | get estop")});
}

bool LinuxCncSim::Rsh(const QStringList& lines)
{
    int code = 0;
    output_ = run(python, QStringList{scripts + QStringLiteral("/rsh.py"), QStringLiteral("-p"), QString::number(port_)} + lines,
                  60000, &code);
    return code == 0;
}

QString LinuxCncSim::Get(const QString& request)
{
    Rsh({QStringLiteral("--look"), request});
    return output_.trimmed();
}

void LinuxCncSim::armEmergencyStop()
{
    const QByteArray script = (scripts + QStringLiteral("/stop-sim.sh")).toLocal8Bit();
    const QByteArray folder = run_.toLocal8Bit();
    std::memset(stopRun, 0, sizeof stopRun);
    std::strncpy(stopScript, script.constData(), sizeof stopScript - 1);
    std::strncpy(stopRun, folder.constData(), sizeof stopRun - 1);
    static bool installed = false;
    if (!installed) {
        installed = true;
        for (int number : {SIGINT, SIGTERM, SIGHUP, SIGABRT, SIGSEGV})
            std::signal(number, stopInEmergency);
    }
}
