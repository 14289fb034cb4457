#include "e2e/TarvexProcess.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QByteArray folders = "GCodePath=C:\\PRODUCT\\\r\nListPath=C:\\LISTS\\\r\nCSVInPath=C:\\CSV\r\n"
                           "CSVOutPath=C:\\OUT\\Tarvex.csv\r\nAutoStart=0\r\nAutoClear=0\r\n";

void write(const QString& path, const QByteArray& content)
{
    QDir().mkpath(path.section('/', 0, -2));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// The journal after start-up's NewList.
QStringList calls(const TarvexProcess& tarvex)
{
    QStringList journal = tarvex.Journal();
    journal.removeAll("NewList");
    return journal;
}

QStringList added(const QStringList& journal)
{
    QStringList lines;
    for (const QString& entry : journal) {
        if (entry.startsWith("AddLine\t"))
            lines << entry.mid(8);
    }
    return lines;
}

TEST(LabelScanTest, PartLabelsFromTheScannerBecomeOneAcknowledgedLine)
{
    TarvexProcess tarvex;
    tarvex.Configure(folders);
    write(tarvex.DriveC() + "/PRODUCT/PROG1.CNC", "ZEM\r\nC=Front panel\r\nUN LX=600 LY=400 LZ=20\r\n");
    write(tarvex.DriveC() + "/CSV/PROG1.CSV", "PROG1;600;400\r\n");
    write(tarvex.DriveC() + "/OUT/Tarvex.csv", "");
    ASSERT_TRUE(tarvex.Start());

    // The first scan clears the list; the field comes from the "'...$" framing's "%N%".
    tarvex.Scan("%12PROG1 N X %");
    EXPECT_TRUE(tarvex.Replies().isEmpty());
    tarvex.Scan("%22 600 400 %");
    EXPECT_EQ(tarvex.Replies(), QByteArray("ACK\r"));

    const QStringList journal = calls(tarvex);
    ASSERT_FALSE(journal.isEmpty());
    EXPECT_EQ(journal.first(), "ClearList");
    // The space after the count makes the first size word empty: X comes from the program file.
    EXPECT_EQ(added(journal),
              QStringList({"#161=PROG1.CNC;#164=1;#171=1;#284=0;#280=;#165=1;#168=600;#169=600;#170=400;#282=;#283=;"}));
    QFile out(tarvex.DriveC() + "/OUT/Tarvex.csv");
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("PROG1;600;400\r\n"));
    EXPECT_FALSE(QFile::exists(tarvex.DriveC() + "/CSV/PROG1.CSV"));
}

TEST(LabelScanTest, CommandsListFilesAndRefusedLabels)
{
    TarvexProcess tarvex;
    tarvex.Configure(folders + "FieldCode_DFN=a1\r\n");
    write(tarvex.DriveC() + "/LISTS/JOB7%.LST", "#161=A.CNC;\r\n#161=B.CNC;\r\n");
    ASSERT_TRUE(tarvex.Start());

    tarvex.Scan("%START%");
    tarvex.Scan("PLAIN7");      // the default field A1 applies
    tarvex.Scan("%12ONE N X %"); // stored, then refused as a repeat
    tarvex.Scan("%12ONE N X %");
    tarvex.Scan("%01JOB7%");    // a list file replaces the list
    tarvex.Scan("%01NOPE%");    // a missing one is only told
    tarvex.Scan("%SETP%");

    QStringList journal = calls(tarvex);
    ASSERT_GE(journal.size(), 8);
    EXPECT_EQ(journal.mid(0, 2), QStringList({"ClearList", "Start"}));
    EXPECT_TRUE(journal[2].startsWith("AddLine\t#161=PLAIN7.CNC;#164=1;#171=10;#284=1;")) << journal[2].toStdString();
    EXPECT_EQ(journal.mid(3), QStringList({"ClearList", "OpenList\tC:\\LISTS\\JOB7%.LST", "ClearList",
                                           "OpenList\tC:\\LISTS\\NOPE%.LST\terror 53", "Setpoint"}));
    EXPECT_EQ(tarvex.Replies(), QByteArray("ACK\r"));
    const QString log = tarvex.Log().join('\n');
    EXPECT_TRUE(log.contains("label not understood: %12ONE N X %"));
    // What each scan became, in the words of the history: a list that loaded is no refusal.
    EXPECT_TRUE(log.contains("scan became: list loaded: C:\\LISTS\\JOB7%.LST"));
    EXPECT_TRUE(log.contains("scan refused: list file C:\\LISTS\\NOPE%.LST not found"));
    EXPECT_TRUE(log.contains("scan became: line added: PLAIN7.CNC, field A1 (position 10), mirrored"));
    EXPECT_FALSE(log.contains("not accepted"));
    EXPECT_TRUE(log.contains("List File C:\\LISTS\\NOPE%.LST Not Found")); // paths as they are
}

} // namespace
