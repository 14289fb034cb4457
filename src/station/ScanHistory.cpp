#include "station/ScanHistory.h"

#include "platform/Log.h"

void ScanHistory::Begin(const QString& arrived, Origin origin)
{
    add({QDateTime::currentDateTime(), Log::Excerpt(arrived), origin, {}, false});
    open_ = 0;
    Q_EMIT Changed();
}

void ScanHistory::MachineFault(const QString& from, const QString& reason)
{
    // The list manager has logged it when it told it.
    if (open_ >= 0)
        ++open_;
    add({QDateTime::currentDateTime(), from, Origin::Machine, {reason}, true});
    Q_EMIT Changed();
}

void ScanHistory::add(const Entry& entry)
{
    entries_.prepend(entry);
    while (entries_.size() > Capacity)
        entries_.removeLast();
    if (open_ >= entries_.size())
        open_ = -1;
}

ScanHistory::Entry& ScanHistory::current()
{
    // An outcome with no scan begun (a call from a test or a tool) still gets an entry.
    if (open_ < 0)
        Begin(QString());
    return entries_[open_];
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
