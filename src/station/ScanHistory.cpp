#include "station/ScanHistory.h"

#include "platform/Log.h"

void ScanHistory::Begin(const QString& arrived, bool typed)
{
    entries_.prepend({QDateTime::currentDateTime(), Log::Excerpt(arrived), typed, {}, false});
    while (entries_.size() > Capacity)
        entries_.removeLast();
    open_ = true;
    Q_EMIT Changed();
}

ScanHistory::Entry& ScanHistory::current()
{
    // An outcome with no scan begun (a call from a test or a tool) still gets an entry.
    if (!open_ || entries_.isEmpty())
        Begin(QString());
    return entries_.first();
}

void ScanHistory::Record(const QString& outcome)
{
    current().outcomes << outcome;
    Log::Info(QStringLiteral("scan became: %1").arg(outcome));
    Q_EMIT Changed();
}

void ScanHistory::Refuse(const QString& reason)
{
    Entry& entry = current();
    entry.outcomes << reason;
    entry.refused = true;
    Log::Warning(QStringLiteral("scan refused: %1").arg(reason));
    Q_EMIT Changed();
}
