#include "production/ProductionReport.h"
#include "support/QtPrinters.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

const QDate day(2026, 12, 9);

QDateTime at(int hour, int minute, int second = 0, QDate date = day)
{
    return QDateTime(date, QTime(hour, minute, second));
}

ReportRow run(const QString& outcome, QDateTime start, qint64 durationMs, qint64 holdMs = 0)
{
    ReportRow row;
    row.station = "SAW-2";
    row.scannedAt = start.addSecs(-60);
    row.program = "DOOR1";
    row.outcome = outcome;
    row.startedAt = start;
    row.endedAt = start.addMSecs(durationMs);
    row.durationMs = durationMs;
    row.holdMs = holdMs;
    return row;
}

// The cells of the one data line of a report of one row.
QString line(const ReportRow& row)
{
    const QStringList lines = ProductionReport::Csv({row}).split("\r\n");
    return lines.value(1);
}

TEST(ProductionReportTest, CsvQuotesCellsGuardsFormulasAndLeavesCellsEmptyForALineThatNeverRan)
{
    const QString csv = ProductionReport::Csv({});
    EXPECT_EQ(csv, "station,scanned,scan text,program,field code,position,mirrored,size x,size y,size z,list file,"
                   "csv moved,outcome,message,started,ended,duration s,hold s\r\n");

    ReportRow ran = run("done", at(7, 15, 2), 252'340, 12'000);
    ran.scanText = "%12DOOR1 N X %";
    ran.fieldCode = "A1";
    ran.position = 5;
    ran.mirrored = true;
    ran.sizeX = "600";
    ran.sizeY = "-20";
    ran.sizeZ = "20";
    ran.listFile = "JOB7.LST";
    ran.csvMoved = true;
    EXPECT_EQ(line(ran), "SAW-2,2026-12-09T07:14:02,%12DOOR1 N X %,DOOR1,A1,5,yes,600,-20,20,JOB7.LST,yes,done,,"
                         "2026-12-09T07:15:02,2026-12-09T07:19:14,252.3,12.0");

    // What a scanner or a machine sends is text, whatever it looks like.
    const struct {
        QString scanText;
        QString message;
        QString scanCell;
        QString messageCell;
    } hostile[] = {
        {"=HYPERLINK(\"x\")", "+A1", "\"'=HYPERLINK(\"\"x\"\")\"", "'+A1"},
        {"@SUM(A1)", "-2+3", "'@SUM(A1)", "'-2+3"},
        {"a,b", "line one\nline two", "\"a,b\"", "\"line one\nline two\""},
        {"\tX", "\r=1", "'\tX", "\"'\r=1\""},
        {"-5", "+1.5", "-5", "+1.5"},
    };
    for (const auto& c : hostile) {
        ReportRow refused;
        refused.station = "SAW-2";
        refused.scannedAt = at(8, 0);
        refused.scanText = c.scanText;
        refused.outcome = "refused";
        refused.message = c.message;
        // A refused scan never ran: no position, start, end, duration or hold.
        const QString expected = "SAW-2,2026-12-09T08:00:00," + c.scanCell + ",,,,no,,,,,no,refused," + c.messageCell + ",,,,";
        EXPECT_EQ(line(refused).toStdString(), expected.toStdString());
    }
}

TEST(ProductionReportTest, SummaryCountsPartsByTheHourTheyEndedAndSplitsTheDayIntoCutAndIdle)
{
    ReportRow waiting;
    waiting.scannedAt = at(13, 0);
    waiting.outcome = "waiting";
    ReportRow cleared;
    cleared.scannedAt = at(9, 0);
    cleared.endedAt = at(9, 30);
    cleared.outcome = "cleared";
    const QList<ReportRow> rows{
        // Began the evening before: counts from midnight, and ended in the day's hour 0.
        run("done", at(23, 50, 0, day.addDays(-1)), 20 * 60'000),
        run("done", at(7, 0), 10 * 60'000, 2 * 60'000),
        run("done", at(7, 50), 15 * 60'000),     // ends 08:05
        run("failed", at(8, 10), 5 * 60'000),
        run("done", at(8, 20), 30 * 60'000),     // ends 08:50
        run("done", at(12, 0, 0, day.addDays(1)), 60'000), // another day
        waiting,
        cleared,
    };
    const ProductionReport::DaySummary summary = ProductionReport::Summarize(rows, day);
    std::array<int, 24> hours{};
    hours[0] = 1;
    hours[7] = 1;
    hours[8] = 2;
    EXPECT_EQ(summary.partsPerHour, hours);
    // The first run's 10 minutes after midnight, then 8, 15, 5 and 30.
    EXPECT_EQ(summary.cutMs, (10 + 8 + 15 + 5 + 30) * 60'000);
    // Midnight to 08:50 is 530 minutes.
    EXPECT_EQ(summary.idleMs, (530 - 68) * 60'000);
    const QMap<QString, int> outcomes{{"done", 4}, {"failed", 1}, {"waiting", 1}, {"cleared", 1}};
    EXPECT_EQ(summary.outcomes, outcomes);

    // Runs overlapping more than the span they cover leave no negative idle time.
    const QList<ReportRow> overlapping{run("done", at(10, 0), 60 * 60'000), run("done", at(10, 0), 60 * 60'000)};
    EXPECT_EQ(ProductionReport::Summarize(overlapping, day).idleMs, 0);
}

} // namespace
