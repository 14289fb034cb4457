#include "listmgr/ListManagerJournal.h"

#include "platform/Log.h"

#include <QDateTime>

#include <cerrno>
#include <cstring>

ListManagerJournal::ListManagerJournal(QString nativePath)
    : path_(std::move(nativePath)), file_(LogFile::DefaultLimit, LogFile::DefaultKeep, path_)
{
}

namespace {
QString oneLine(QString value)
{
    value.replace(QLatin1Char('\t'), QStringLiteral("\\x09"));
    value.replace(QLatin1Char('\r'), QStringLiteral("\\x0D"));
    value.replace(QLatin1Char('\n'), QStringLiteral("\\x0A"));
    return value;
}

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}
} // namespace

QString ListManagerJournal::Format(const QString& time, const QString& member, const QString* argument, int error)
{
    const QChar tab = QLatin1Char('\t');
    QString line = time + tab + member;
    if (argument)
        line += tab + oneLine(*argument);
    if (error != 0)
        line += tab + QStringLiteral("error ") + QString::number(error);
    return line;
}

void ListManagerJournal::Record(const QString& member, const QString* argument, int error)
{
    append(Format(now(), member, argument, error));
}

void ListManagerJournal::RecordAnswer(const QString& member, const QString& command, const QString& answer)
{
    append(Format(now(), member, &command, 0) + QLatin1Char('\t') + oneLine(answer));
}

void ListManagerJournal::append(const QString& text)
{
    if (!file_.Write((text + QLatin1Char('\n')).toUtf8(), false))
        Log::Error(QStringLiteral("list manager journal %1 cannot be written: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
    if (const QString failure = file_.TakeRotationFailure(); !failure.isEmpty())
        Log::Warning(QStringLiteral("list manager journal: %1").arg(failure));
}
