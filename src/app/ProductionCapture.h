#pragma once

#include "listmgr/ListFields.h"
#include "listmgr/WorkList.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>

class Clock;
class FieldCodeTable;
class ProductionSink;
class ScanProcessing;
class WorkListManager;

// Turns what happens at the station into production records: each line put on a work list
// (with the scan under way when it came), each run of a line and how it ended, each line that
// left the list before it ran ("cleared"), and each refused scan: one that put no line on the
// list before it was refused (a failure after its line, a Start the machine refused, is the
// line's, not a refusal of the scan). The records go to the sink
// as they happen; the sink never waits, so the scan and the machine never do either.
//
// A line the capture has not seen added (one of the work list saved by an earlier run) gets
// its line record when it is first seen, so that no outcome names a line of no record.
class ProductionCapture : public QObject {
    Q_OBJECT
public:
    // clock measures how long each run took; the wall time of its start comes from the system.
    ProductionCapture(ProductionSink& sink, const FieldCodeTable& codes, ScanProcessing& processing, Clock& clock,
                      QObject* parent = nullptr);

    // Records the lines of this list manager from now on. Following one twice changes nothing.
    void Follow(WorkListManager* server);

private:
    struct Line {
        QString uid;
        bool started = false;
        QDateTime startedAt;
        qint64 startedMs = 0;
    };
    using Lines = QHash<quint64, Line>;

    void scanBegun(const QDateTime& at, const QString& arrived);
    void scanRefused(const QString& reason);
    void lineAdded(WorkListManager* server, quint64 id, const ListFields& fields, const QString& listFile);
    void linesRemoved(WorkListManager* server, const QList<WorkList::Entry>& removed);
    void runStarted(WorkListManager* server, quint64 id);
    void runEnded(WorkListManager* server, quint64 id, WorkList::State state, const QString& message, qint64 heldMs);

    // The line's record: made now, from the fields, when there is none yet.
    Line& known(WorkListManager* server, quint64 id, const ListFields& fields);
    // Writes the line record and keeps the line under its id; scanned: made by the scan under way.
    Line& record(WorkListManager* server, quint64 id, const ListFields& fields, const QString& listFile, bool scanned);

    ProductionSink& sink_;
    const FieldCodeTable& codes_;
    ScanProcessing& processing_;
    Clock& clock_;

    // The scan under way: the last one begun.
    bool scanning_ = false;
    bool scanAddedLine_ = false;
    QDateTime scanAt_;
    QString scanText_;

    // The lines each followed server has, or had while a run of them goes on, by id.
    QHash<const WorkListManager*, Lines> lines_;
};
