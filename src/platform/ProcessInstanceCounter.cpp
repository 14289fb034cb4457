#include "platform/ProcessInstanceCounter.h"

#include "platform/RaiseRequests.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {
int countSameExecutable()
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (self.isEmpty())
        return 1;
    const uid_t uid = getuid();
    int count = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : entries) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (!numeric)
            continue;
        const QString dir = QStringLiteral("/proc/") + pid;
        struct stat st {};
        if (stat(QFile::encodeName(dir).constData(), &st) != 0 || st.st_uid != uid)
            continue;
        if (QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget() == self)
            ++count;
    }
    return count < 1 ? 1 : count;
}
} // namespace

bool ProcessInstanceCounter::PreviousInstance()
{
    return countSameExecutable() > 1;
}

int ProcessInstanceCounter::InstanceCount(const QString&)
{
    return countSameExecutable();
}

bool ProcessInstanceCounter::BringRunningToFront()
{
    return RaiseRequests::AskRunningInstance();
}
