#pragma once

#include "production/ReportRow.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>

#include <array>

// The production record as text for a spreadsheet, and a day of it in figures.
class ProductionReport {
public:
    // A day in figures. A row belongs to the day it ended (a run's end, a clearing), else to the
    // day of its scan (waiting and refused rows).
    struct DaySummary {
        // Runs done, by the hour (local time) they ended.
        std::array<int, 24> partsPerHour{};
        // The runs' durations less their hold, added up (every run, whatever its outcome; a run
        // that began the day before from midnight on).
        qint64 cutMs = 0;
        // From the first start of a run to the last end, less the cut time; never below 0.
        qint64 idleMs = 0;
        // How many rows of the day had each outcome ("done", "failed", "refused", ...).
        QMap<QString, int> outcomes;
    };

    // One header line, then one line per row, RFC 4180 (CR LF line ends, cells with a comma, a
    // quote or a line end quoted). Times are local, ISO 8601 to the second; durations are
    // seconds with one decimal, empty for a row that never ran. A cell that a spreadsheet would
    // take for a formula (starting with =, +, -, @, a tab or a carriage return, and not a plain
    // number) gets a leading apostrophe, so that it is shown as the text it is: the scan texts
    // and messages come from a scanner and a machine.
    static QString Csv(const QList<ReportRow>& rows);

    static DaySummary Summarize(const QList<ReportRow>& rows, QDate day);

    // The row's date for the summary: its end, else its scan (local time).
    static QDate DayOf(const ReportRow& row);
};
