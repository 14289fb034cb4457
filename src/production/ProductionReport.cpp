#include "production/ProductionReport.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {
const QString header = QStringLiteral("station,scanned,scan text,program,field code,position,mirrored,size x,size y,"
                                      "size z,list file,csv moved,outcome,message,started,ended,duration s,hold s");

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

QString secondsText(qint64 ms)
{
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1);
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

// A spreadsheet opening the file would run a cell that starts like a formula; a plain number
// ("-20") is only a number and stays as it is.
QString guarded(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[-+]?[0-9]+([.,][0-9]+)?$"));
    static const QString starts = QStringLiteral("=+-@\t\r");
    if (text.isEmpty() || !starts.contains(text.front()) || number.match(text).hasMatch())
        return text;
    return QLatin1Char('\'') + text;
}

QString cell(const QString& text)
{
    static const QRegularExpression special(QStringLiteral("[\",\r\n]"));
    const QString value = guarded(text);
    if (!value.contains(special))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool ran(const ReportRow& row)
{
    return row.startedAt.isValid() && row.durationMs >= 0;
}
} // namespace

QString ProductionReport::Csv(const QList<ReportRow>& rows)
{
    QString text = header + QStringLiteral("\r\n");
    for (const ReportRow& row : rows) {
        const bool didRun = ran(row);
        const QStringList cells{
            row.station,
            timeText(row.scannedAt),
            row.scanText,
            row.program,
            row.fieldCode,
            row.position > 0 ? QString::number(row.position) : QString(),
            yesNo(row.mirrored),
            row.sizeX,
            row.sizeY,
            row.sizeZ,
            row.listFile,
            yesNo(row.csvMoved),
            row.outcome,
            row.message,
            timeText(row.startedAt),
            timeText(row.endedAt),
            didRun ? secondsText(row.durationMs) : QString(),
            didRun ? secondsText(row.holdMs) : QString(),
        };
        QStringList line;
        line.reserve(cells.size());
        for (const QString& value : cells)
            line << cell(value);
        text += line.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

QDate ProductionReport::DayOf(const ReportRow& row)
{
    return (row.endedAt.isValid() ? row.endedAt : row.scannedAt).toLocalTime().date();
}

ProductionReport::DaySummary ProductionReport::Summarize(const QList<ReportRow>& rows, QDate day)
{
    DaySummary summary;
    QDateTime firstStart;
    QDateTime lastEnd;
    for (const ReportRow& row : rows) {
        if (DayOf(row) != day)
            continue;
        ++summary.outcomes[row.outcome];
        if (!ran(row))
            continue;
        const QDateTime end = row.endedAt.toLocalTime();
        if (row.outcome == QLatin1String("done"))
            ++summary.partsPerHour[static_cast<std::size_t>(end.time().hour())];
        // A run that began the evening before counts from midnight, so the day stays a day.
        const QDateTime start = std::max(row.startedAt.toLocalTime(), QDateTime(day, QTime(0, 0)));
        const qint64 beforeDay = row.startedAt.toLocalTime().msecsTo(start);
        summary.cutMs += std::max<qint64>(0, row.durationMs - beforeDay - row.holdMs);
        if (!firstStart.isValid() || start < firstStart)
            firstStart = start;
        if (!lastEnd.isValid() || end > lastEnd)
            lastEnd = end;
    }
    if (firstStart.isValid())
        summary.idleMs = std::max<qint64>(0, firstStart.msecsTo(lastEnd) - summary.cutMs);
    return summary;
}
