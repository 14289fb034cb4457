#include "platform/DetachedProcessStarter.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <sys/types.h>

qint64 DetachedProcessStarter::Start(const QString& program, const QStringList& arguments, QString& error)
{
    // Checked first: a detached start that fails says little about why.
    const QFileInfo file(program);
    if (!file.exists()) {
        error = QStringLiteral("%1 does not exist").arg(program);
        return 0;
    }
    if (!file.isFile() || !file.isExecutable()) {
        error = QStringLiteral("%1 is not an executable file").arg(program);
        return 0;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0) {
        error = process.errorString();
        return 0;
    }
    return pid;
}

bool DetachedProcessStarter::IsRunning(qint64 id) const
{
    if (id <= 0)
        return false;
    if (::kill(static_cast<pid_t>(id), 0) != 0 && errno != EPERM)
        return false;
    // An ended program that nobody has reaped yet (where the init process is slow to) is not running.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(id));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')'); // the name in parentheses may hold anything
    return !(end >= 0 && line.mid(end + 2, 1) == "Z");
}
