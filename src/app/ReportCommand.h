#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdio>

// tarvex --report DAY | FROM..TO [--station NAME]: the production record of those days as CSV
// on standard output, for scripts and imports, without a window, also while a station runs.
class ReportCommand {
public:
    // A range longer than this is refused: the rows are gathered before they are printed.
    static constexpr qint64 MaxDays = 366;

    struct Request {
        QDate from;
        QDate to;
        QString station; // empty: every station
        QString error;   // why the arguments cannot be used; empty when they can
    };

    // True when an argument after the program's name is --report (in any letter case).
    static bool Asked(const QStringList& arguments);
    static Request Parse(const QStringList& arguments);

    // Prints the report; a usage error or a database that cannot be read goes to err. The exit
    // code: 0, 1 when the rows are incomplete (the shop's database unreachable: this station's
    // only) or could not be read, 2 for a usage error.
    static int Run(const QStringList& arguments, std::FILE* out, std::FILE* err);
};
