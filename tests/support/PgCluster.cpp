#include "support/PgCluster.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTcpServer>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace {

// The newest installed version's programs, e.g. /usr/lib/postgresql/15/bin.
QString binaries()
{
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toDouble() > b.toDouble(); });
    for (const QString& version : versions) {
        const QString bin = root.filePath(version + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

bool asRoot()
{
    return ::geteuid() == 0;
}

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

bool PgCluster::Installed()
{
    return !binaries().isEmpty() && QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))
        && (!asRoot() || (::getpwnam("postgres") != nullptr && !QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty()));
}

PgCluster::PgCluster()
    : bin_(binaries())
{
    if (!dir_.isValid() || bin_.isEmpty()) {
        problem_ = QStringLiteral("no temporary folder or no PostgreSQL programs");
        return;
    }
    // The server's user must reach its folder.
    if (asRoot()) {
        const passwd* postgres = ::getpwnam("postgres");
        if (postgres == nullptr || ::chown(QFile::encodeName(dir_.path()).constData(), postgres->pw_uid, postgres->pw_gid) != 0) {
            problem_ = QStringLiteral("cannot give %1 to the postgres user").arg(dir_.path());
            return;
        }
    }
    const QString pwfile = dir_.filePath(QStringLiteral("pwfile"));
    {
        QFile file(pwfile);
        if (!file.open(QIODevice::WriteOnly) || file.write(Password().toUtf8() + '\n') < 0) {
            problem_ = QStringLiteral("cannot write %1").arg(pwfile);
            return;
        }
    }
    if (asRoot()) {
        const passwd* postgres = ::getpwnam("postgres");
        if (::chown(QFile::encodeName(pwfile).constData(), postgres->pw_uid, postgres->pw_gid) != 0) {
            problem_ = QStringLiteral("cannot give %1 to the postgres user").arg(pwfile);
            return;
        }
    }
    QString output;
    if (!Run({bin_ + QStringLiteral("/initdb"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
              QStringLiteral("-U"), User(), QStringLiteral("--auth=scram-sha-256"), QStringLiteral("--pwfile=") + pwfile,
              QStringLiteral("--no-sync"), QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C")},
             output)) {
        Fail(QStringLiteral("initdb failed"), output);
        return;
    }
    QFile::remove(pwfile);
    port_ = freePort();
    if (port_ == 0) {
        problem_ = QStringLiteral("no free port on 127.0.0.1");
        return;
    }
    Start();
}

PgCluster::~PgCluster()
{
    // Also after a start that failed half-way: a server that is not running only makes pg_ctl say so.
    if (running_ || QFile::exists(dir_.filePath(QStringLiteral("data/postmaster.pid")))) {
        QString output;
        Run({bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
             QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
            output);
    }
}

QString PgCluster::Url() const
{
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(User()).arg(port_).arg(Database());
}

bool PgCluster::Start()
{
    QString output;
    // No socket file: the server is reached over TCP alone, as a shop's stations reach theirs.
    const QString options = QStringLiteral("-c listen_addresses=127.0.0.1 -c port=%1 -c unix_socket_directories='' "
                                           "-c fsync=off -c max_connections=20")
                                .arg(port_);
    if (!Run({bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
              QStringLiteral("-l"), dir_.filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options,
              QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
             output)) {
        Fail(QStringLiteral("the server did not start"), output);
        return false;
    }
    running_ = true;
    problem_.clear();
    return true;
}

bool PgCluster::Stop()
{
    QString output;
    if (!Run({bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
              QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
              QStringLiteral("stop")},
             output)) {
        Fail(QStringLiteral("the server did not stop"), output);
        return false;
    }
    running_ = false;
    return true;
}

bool PgCluster::Run(const QStringList& command, QString& output) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(dir_.path());
    if (asRoot()) {
        process.setProgram(QStringLiteral("runuser"));
        process.setArguments(QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + command);
    } else {
        process.setProgram(command.first());
        process.setArguments(command.mid(1));
    }
    process.start();
    const bool finished = process.waitForFinished(120000);
    if (!finished)
        process.kill();
    output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void PgCluster::Fail(const QString& what, const QString& output)
{
    QFile log(dir_.filePath(QStringLiteral("server.log")));
    const QString serverLog = log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(4000)) : QString();
    problem_ = what + QStringLiteral(":\n") + output + serverLog;
}
