#include "app/ProductionCapture.h"

#include "listmgr/FieldCodeTable.h"
#include "listmgr/WorkListManager.h"
#include "listmgr/WorkListRunner.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "production/ProductionSink.h"
#include "scan/ScanProcessing.h"

#include <QUuid>

namespace {
QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// A field's whole number; 0 when it holds none.
int number(const ListFields& fields, int field)
{
    bool ok = false;
    const int value = fields.Value(field).trimmed().toInt(&ok);
    return ok ? value : 0;
}
} // namespace

ProductionCapture::ProductionCapture(ProductionSink& sink, const FieldCodeTable& codes, ScanProcessing& processing,
                                     Clock& clock, QObject* parent)
    : QObject(parent), sink_(sink), codes_(codes), processing_(processing), clock_(clock)
{
    connect(&processing_.History(), &ScanHistory::ScanBegun, this, &ProductionCapture::scanBegun);
    connect(&processing_.History(), &ScanHistory::ScanRefused, this, &ProductionCapture::scanRefused);
}

void ProductionCapture::Follow(WorkListManager* server)
{
    if (!server || lines_.contains(server))
        return;
    lines_.insert(server, {});
    // Its ids mean nothing once it is gone; another server may come at the same address.
    connect(server, &QObject::destroyed, this, [this, server] { lines_.remove(server); });
    connect(server, &WorkListManager::LineAdded, this,
            [this, server](quint64 id, const ListFields& fields, const QString& listFile) { lineAdded(server, id, fields, listFile); });
    connect(server, &WorkListManager::LinesRemoved, this,
            [this, server](const QList<WorkList::Entry>& removed) { linesRemoved(server, removed); });
    // A line that ran when the earlier run ended has an outcome now: unknown.
    for (const quint64 id : server->List().CutOff()) {
        const WorkList::Entry* entry = server->List().Find(id);
        if (!entry)
            continue;
        LineOutcome unknown;
        unknown.uid = newUid();
        unknown.lineUid = known(server, id, entry->fields).uid;
        unknown.outcome = WorkList::StateText(WorkList::State::Unknown);
        unknown.message = entry->note;
        sink_.Add(unknown);
    }
    if (auto* runner = qobject_cast<WorkListRunner*>(server)) {
        connect(runner, &WorkListRunner::RunStarted, this, [this, server](quint64 id) { runStarted(server, id); });
        connect(runner, &WorkListRunner::RunEnded, this,
                [this, server](quint64 id, WorkList::State state, const QString& message, qint64 heldMs) {
                    runEnded(server, id, state, message, heldMs);
                });
    }
}

void ProductionCapture::scanBegun(const QDateTime& at, const QString& arrived)
{
    scanning_ = true;
    scanAddedLine_ = false;
    scanAt_ = at;
    scanText_ = arrived;
}

void ProductionCapture::scanRefused(const QString& reason)
{
    if (scanAddedLine_)
        return;
    RefusalRecord refusal;
    refusal.uid = newUid();
    refusal.at = scanning_ ? scanAt_ : QDateTime::currentDateTime();
    refusal.scanText = scanning_ ? scanText_ : QString();
    refusal.reason = reason;
    sink_.Add(refusal);
}

void ProductionCapture::lineAdded(WorkListManager* server, quint64 id, const ListFields& fields, const QString& listFile)
{
    record(server, id, fields, listFile, true);
}

void ProductionCapture::linesRemoved(WorkListManager* server, const QList<WorkList::Entry>& removed)
{
    Lines& lines = lines_[server];
    const QDateTime now = QDateTime::currentDateTime();
    for (const WorkList::Entry& entry : removed) {
        const Line line = known(server, entry.id, entry.fields);
        // A line whose run is on its way stays known: its end is still to come.
        if (entry.state == WorkList::State::Running || line.started)
            continue;
        if (entry.state == WorkList::State::Waiting) {
            LineOutcome cleared;
            cleared.uid = newUid();
            cleared.lineUid = line.uid;
            cleared.outcome = QStringLiteral("cleared");
            cleared.endedAt = now;
            sink_.Add(cleared);
        }
        lines.remove(entry.id);
    }
}

void ProductionCapture::runStarted(WorkListManager* server, quint64 id)
{
    const WorkList::Entry* entry = server->List().Find(id);
    Line* line = entry ? &known(server, id, entry->fields) : nullptr;
    if (!line) {
        Log::Warning(QStringLiteral("production record: a run started of a line no longer on the list"));
        return;
    }
    line->started = true;
    line->startedAt = QDateTime::currentDateTime();
    line->startedMs = clock_.NowMs();
}

void ProductionCapture::runEnded(WorkListManager* server, quint64 id, WorkList::State state, const QString& message, qint64 heldMs)
{
    Lines& lines = lines_[server];
    const WorkList::Entry* entry = server->List().Find(id);
    if (!entry && !lines.contains(id)) {
        Log::Warning(QStringLiteral("production record: the end of a run (%1) of a line it has no record of").arg(WorkList::StateText(state)));
        return;
    }
    Line& line = entry ? known(server, id, entry->fields) : lines[id];
    LineOutcome outcome;
    outcome.uid = newUid();
    outcome.lineUid = line.uid;
    if (state == WorkList::State::Waiting) {
        // Run was refused: nothing ran. A line that left the list meanwhile never will.
        line.started = false;
        if (entry)
            return;
        outcome.outcome = QStringLiteral("cleared");
        outcome.endedAt = QDateTime::currentDateTime();
    } else {
        outcome.outcome = WorkList::StateText(state);
        outcome.message = message;
        if (line.started) {
            outcome.startedAt = line.startedAt;
            outcome.endedAt = line.startedAt.addMSecs(qMax<qint64>(0, clock_.NowMs() - line.startedMs));
            outcome.holdMs = heldMs;
        } else {
            outcome.endedAt = QDateTime::currentDateTime(); // failed before it could run
        }
        line.started = false;
    }
    sink_.Add(outcome);
    if (!entry)
        lines.remove(id);
}

ProductionCapture::Line& ProductionCapture::known(WorkListManager* server, quint64 id, const ListFields& fields)
{
    Lines& lines = lines_[server];
    if (const auto found = lines.find(id); found != lines.end())
        return *found;
    return record(server, id, fields, QString(), false);
}

ProductionCapture::Line& ProductionCapture::record(WorkListManager* server, quint64 id, const ListFields& fields,
                                                   const QString& listFile, bool scanned)
{
    LineRecord line;
    line.uid = newUid();
    const bool byScan = scanned && scanning_;
    scanAddedLine_ = scanAddedLine_ || byScan;
    line.scannedAt = byScan ? scanAt_ : QDateTime::currentDateTime();
    line.scanText = byScan ? scanText_ : QString();
    line.program = fields.Value(161);
    line.position = number(fields, 171);
    line.mirrored = number(fields, 284) != 0;
    line.fieldCode = codes_.CodeAt(line.position);
    line.sizeX = fields.Value(168);
    line.sizeY = fields.Value(169);
    line.sizeZ = fields.Value(170);
    line.listFile = listFile;
    line.carriedOver = !scanned; // seen before it was seen added: on the list an earlier run saved
    // A list file's lines come with no label: its CSV companions are not theirs.
    line.csvMoved = byScan && listFile.isEmpty() && processing_.Csv().Moved(line.program);
    sink_.Add(line);
    Line& kept = lines_[server][id];
    kept = Line();
    kept.uid = line.uid;
    return kept;
}
