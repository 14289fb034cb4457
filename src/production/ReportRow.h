#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The production record read back: one row per run of a line (a line that never ran is one
// row, "waiting" or "cleared"), and one row per refused scan ("refused", the reason as message).
struct ReportRow {
    QString station;
    QDateTime scannedAt;
    QString scanText;
    QString program;
    QString fieldCode;
    int position = 0;
    bool mirrored = false;
    QString sizeX;
    QString sizeY;
    QString sizeZ;
    QString listFile;
    bool csvMoved = false;
    QString outcome;       // "waiting", "done", "failed", "aborted", "unknown", "cleared", "refused"
    QString message;
    QDateTime startedAt;   // null unless it ran
    QDateTime endedAt;
    qint64 durationMs = -1; // end - start; -1 unless it ran
    qint64 holdMs = 0;
};

// Which rows: the days from..to (local time of the scan, both included), one station or all.
struct ReportQuery {
    QDate from;
    QDate to;
    QString station; // empty: every station
};

struct ReportResult {
    QList<ReportRow> rows;  // by scan time, then start
    QStringList stations;   // every station the database has records of, sorted
    QString source;         // where the rows come from, in the operator's words
    QString problem;        // why the rows are incomplete or missing; empty when all is well
};
