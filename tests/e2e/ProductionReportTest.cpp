#include "e2e/TarvexProcess.h"
#include "support/QtPrinters.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QByteArray& content)
{
    QDir().mkpath(path.section('/', 0, -2));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// The rows of tarvex --report for today, read while the station runs, once it holds at least
// the number of rows asked for (the station writes its records a moment after each scan).
QStringList reportRows(TarvexProcess& tarvex, qsizetype atLeast, int* exitCode)
{
    QStringList rows;
    tarvex.WaitFor([&] {
        QByteArray out;
        QByteArray errors;
        *exitCode = tarvex.RunAnother({"--report", QDate::currentDate().toString(Qt::ISODate)}, &out, &errors);
        rows = QString::fromUtf8(out).split("\r\n", Qt::SkipEmptyParts);
        return rows.size() > atLeast;
    });
    return rows;
}

QString rowWith(const QStringList& rows, const QString& text)
{
    for (const QString& row : rows)
        if (row.contains(text))
            return row;
    return QString();
}

TEST(ProductionReportTest, ScannedListedClearedAndRefusedLinesAreReportedWhileTheStationRuns)
{
    TarvexProcess tarvex;
    tarvex.Configure("GCodePath=C:\\PRODUCT\\\r\nListPath=C:\\LISTS\\\r\nCSVInPath=C:\\CSV\r\n"
                     "CSVOutPath=C:\\OUT\\Tarvex.csv\r\nAutoStart=0\r\nAutoClear=0\r\n",
                     "[Production]\r\nStation=saw-2\r\n");
    write(tarvex.DriveC() + "/PRODUCT/PROG1.CNC", "ZEM\r\nC=Front panel\r\nUN LX=600 LY=400 LZ=20\r\n");
    write(tarvex.DriveC() + "/CSV/PROG1.CSV", "PROG1;600;400\r\n");
    write(tarvex.DriveC() + "/OUT/Tarvex.csv", "");
    write(tarvex.DriveC() + "/LISTS/JOB7%.LST", "#161=A.CNC;\r\n#161=B.CNC;\r\n");
    ASSERT_TRUE(tarvex.Start());

    tarvex.Scan("%12PROG1 N X %");
    tarvex.Scan("%22 600 400 %");  // PROG1's line, its CSV companion moved
    tarvex.Scan("%12ONE N X %");
    tarvex.Scan("%12ONE N X %");   // refused as a repeat
    tarvex.Scan("%01JOB7%");       // the list file replaces PROG1's line, which never ran

    int code = -1;
    const QStringList rows = reportRows(tarvex, 4, &code);
    ASSERT_EQ(rows.size(), 5) << rows.join('\n').toStdString();
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(rows[0].startsWith("station,scanned,scan text,program,"));
    EXPECT_TRUE(rowWith(rows, "PROG1.CNC").startsWith("saw-2,")) << rows.join('\n').toStdString();
    EXPECT_TRUE(rowWith(rows, "PROG1.CNC").contains(",%22 600 400 %,PROG1.CNC,N,1,no,600,600,400,,yes,cleared,"))
        << rows.join('\n').toStdString();
    EXPECT_TRUE(rowWith(rows, ",A.CNC,").contains(",C:\\LISTS\\JOB7%.LST,no,waiting,")) << rows.join('\n').toStdString();
    EXPECT_TRUE(rowWith(rows, ",B.CNC,").contains(",waiting,"));
    EXPECT_TRUE(rowWith(rows, ",refused,").contains("%12ONE N X %")) << rows.join('\n').toStdString();

    // A report for scripts refuses what it cannot read as days, with the usage's exit code.
    QByteArray out;
    QByteArray errors;
    EXPECT_EQ(tarvex.RunAnother({"--report", "2026-12-09", "2026-12-10"}, &out, &errors), 2);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(errors.contains("FROM..TO")) << errors.toStdString();
}

} // namespace
