#pragma once

#include <QDateTime>
#include <QString>

#include <variant>

// What the production record keeps: each line put on the work list, what became of it (each run
// of it on the machine, or its clearing before it ran), and each scan that was refused. Records
// are only ever added, never changed: a line's life is its line record and the outcomes that
// name it. Each record has a uid of its own, so a record sent twice to a shared database is
// kept once.

// A line on the work list, as it was put there.
struct LineRecord {
    QString uid;
    QString station;        // filled by the record when empty
    QDateTime scannedAt;    // the scan that put it there (the time it was added when none)
    QString scanText;       // as it arrived; empty for a line from a list file loaded without a scan
    QString program;        // field 161
    QString fieldCode;      // "A1"; empty when unknown
    int position = 0;       // field 171
    bool mirrored = false;  // field 284
    QString sizeX;          // fields 168 to 170, as sent
    QString sizeY;
    QString sizeZ;
    QString listFile;       // the list file it came from, if any
    bool csvMoved = false;  // the program's CSV companion was moved to the collecting file
    // On the work list an earlier run saved: that run's record of it, when there is one still
    // without an outcome, is this line's (its outcomes go there), so a restart adds no second line.
    bool carriedOver = false;
};

// What became of a line: one run on the machine (done, failed, aborted, unknown after a lost
// link), or its clearing before it ran (cleared; no start, no end).
struct LineOutcome {
    QString uid;
    QString lineUid;
    QString station;
    QString outcome;        // "done", "failed", "aborted", "unknown", "cleared"
    QString message;        // the machine's text for a failure; why it is unknown or aborted
    QDateTime startedAt;    // null for a cleared line
    QDateTime endedAt;      // when it ended, or was cleared
    qint64 holdMs = 0;      // time held (paused) during the run
};

// A scan that was refused.
struct RefusalRecord {
    QString uid;
    QString station;
    QDateTime at;
    QString scanText;
    QString reason;
};

using ProductionEntry = std::variant<LineRecord, LineOutcome, RefusalRecord>;
