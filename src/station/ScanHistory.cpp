#include "station/ScanHistory.h"

#include "platform/Log.h"

namespace {
QString bounded(const QString& text)
{
    if (text.size() <= ScanHistory::MaxOutcomeLength)
        return text;
    return QStringLiteral("%1… (%2 characters)").arg(text.left(ScanHistory::MaxOutcomeLength)).arg(text.size());
}
} // namespace

void ScanHistory::Begin(const QString& arrived, Origin origin)
{
    const QDateTime now = QDateTime::currentDateTime();
    add({now, Log::Excerpt(arrived), origin, {}, Mark::Normal, {}});
    open_ = 0;
    Q_EMIT Changed();
    Q_EMIT ScanBegun(now, arrived);
}

void ScanHistory::MachineFault(const QString& from, const QString& reason)
{
    // The list manager has logged it when it told it.
    if (open_ >= 0)
        ++open_;
    add({QDateTime::currentDateTime(), from, Origin::Machine, {bounded(reason)}, Mark::Refused, {bounded(reason)}});
    Q_EMIT Changed();
    Q_EMIT Alerted(Alert::MachineFault);
}

void ScanHistory::Restore(const QList<Entry>& earlier, const QDateTime& restartedAt)
{
    if (earlier.isEmpty())
        return;
    const Entry restart{restartedAt, QStringLiteral("Tarvex restarted"), Origin::Restart,
                        {QStringLiteral("the scans below are from before the restart")}, Mark::Normal, {}};
    // Below whatever this run has shown already.
    QList<Entry> older{restart};
    older << earlier;
    entries_ << older;
    while (entries_.size() > Capacity)
        entries_.removeLast();
    if (open_ >= entries_.size())
        open_ = -1;
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
    current().outcomes << bounded(outcome);
    Log::Info(QStringLiteral("scan became: %1").arg(outcome));
    Q_EMIT Changed();
}

void ScanHistory::Warn(const QString& reason)
{
    // Both lines of a normal and mirrored pair have the same doubt; it is told once.
    if (open_ >= 0 && entries_[open_].outcomes.contains(bounded(reason)))
        return;
    Log::Warning(QStringLiteral("scan doubtful: %1").arg(reason));
    mark(Mark::Doubtful, reason);
}

void ScanHistory::Refuse(const QString& reason)
{
    Log::Warning(QStringLiteral("scan refused: %1").arg(reason));
    mark(Mark::Refused, reason);
}

void ScanHistory::mark(Mark to, const QString& reason)
{
    const QString said = bounded(reason);
    Entry& entry = current();
    entry.outcomes << said;
    entry.reasons << said;
    const bool rose = to > entry.mark;
    if (rose)
        entry.mark = to;
    Q_EMIT Changed();
    if (rose && to == Mark::Refused)
        Q_EMIT ScanRefused(said);
    if (rose)
        Q_EMIT Alerted(to == Mark::Refused ? Alert::Refusal : Alert::Doubt);
}
