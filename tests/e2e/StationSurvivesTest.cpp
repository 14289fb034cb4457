// Hostile scans and a late scanner on the real program: the station keeps running, refuses or
// reports what it cannot use, and takes the next good scan.
#include "e2e/TarvexProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <utility>

namespace {

// The collecting file lies among the companions, named as a label's program could be.
const QByteArray folders = "GCodePath=C:\\PRODUCT\\\r\nCSVInPath=C:\\CSV\r\nCSVOutPath=C:\\CSV\\OUT.CSV\r\n"
                           "AutoStart=0\r\nAutoClear=0\r\nFieldCode_DFN=N\r\n";

QStringList addedPrograms(const TarvexProcess& tarvex)
{
    QStringList programs;
    for (const QString& entry : tarvex.Journal()) {
        if (entry.startsWith("AddLine\t"))
            programs << entry.section(';', 0, 0).mid(13);
    }
    return programs;
}

TEST(StationSurvivesTest, LongNamesAndACompanionThatIsTheCollectingFileNeitherEndNorFreezeIt)
{
    TarvexProcess tarvex;
    tarvex.Configure(folders);
    ASSERT_TRUE(QDir().mkpath(tarvex.DriveC() + "/CSV"));
    {
        QFile out(tarvex.DriveC() + "/CSV/OUT.CSV");
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("1;2\r\n");
    }
    ASSERT_TRUE(tarvex.Start());

    tarvex.Scan(QByteArray(300, 'A'));
    tarvex.Scan(QByteArray(130, '\xe9')); // two bytes each in a file name
    tarvex.Scan("OUT");
    tarvex.Scan("GOOD");
    EXPECT_TRUE(tarvex.Running());

    EXPECT_EQ(addedPrograms(tarvex), QStringList({"OUT.CNC", "GOOD.CNC"}));
    EXPECT_EQ(tarvex.Replies(), QByteArray("ACK\rACK\r"));
    QFile out(tarvex.DriveC() + "/CSV/OUT.CSV");
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("1;2\r\n"));
    const QStringList log = tarvex.Log();
    EXPECT_EQ(log.filter("refused, nothing added: its CSV file cannot be looked up").size(), 2);
    EXPECT_EQ(log.filter("refused to append").size(), 1);
    tarvex.Stop();
    EXPECT_TRUE(tarvex.Log().last().endsWith("shutdown"));
}

TEST(StationSurvivesTest, ScansThatArriveWhileOneIsProcessedKeepTheirBoundaries)
{
    TarvexProcess tarvex;
    tarvex.Configure(folders);
    ASSERT_TRUE(tarvex.Start());

    // Half a second apart: far longer than the two ticks of silence that end a scan, and short
    // enough that P2 and P3 come while P1 is still being added.
    tarvex.Send("P1");
    QThread::msleep(500);
    tarvex.Send("P2");
    QThread::msleep(500);
    tarvex.Send("P3");
    EXPECT_TRUE(tarvex.WaitFor([&] { return addedPrograms(tarvex).size() >= 3; }));
    EXPECT_EQ(addedPrograms(tarvex), QStringList({"P1.CNC", "P2.CNC", "P3.CNC"}));
}

TEST(StationSurvivesTest, ACsvTransferKilledHalfWayIsCutBackAtTheNextStart)
{
    TarvexProcess tarvex;
    tarvex.Configure(folders);
    // What a transfer killed half-way leaves: the record written before it, a cut row after the
    // collecting file's old end, and the companion still there.
    const QString collecting = tarvex.DriveC() + "/CSV/OUT.CSV";
    ASSERT_TRUE(QDir().mkpath(tarvex.DriveC() + "/CSV"));
    for (const auto& [path, content] : {std::pair{collecting, QByteArray("1;2\r\n3;4")},
                                        std::pair{tarvex.DriveC() + "/CSV/PART7.CSV", QByteArray("3;4\r\n")},
                                        std::pair{tarvex.DataFolder() + "/csv-transfer.pending", "5\n" + QFile::encodeName(collecting) + "\n"}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ASSERT_TRUE(tarvex.Start());
    QFile out(collecting);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("1;2\r\n"));
    EXPECT_FALSE(QFile::exists(tarvex.DataFolder() + "/csv-transfer.pending"));

    // Scanned again, the label appends the companion once, whole.
    tarvex.Scan("PART7");
    out.close();
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("1;2\r\n3;4\r\n"));
}

TEST(StationSurvivesTest, AScannerThatAppearsAfterStartUpIsOpened)
{
    TarvexProcess tarvex;
    const QString link = tarvex.DataFolder() + "/../late-scanner";
    tarvex.UsePortDevice(link);
    tarvex.Configure(folders);
    ASSERT_TRUE(tarvex.Start());
    EXPECT_FALSE(tarvex.Log().filter("waiting for the scanner").isEmpty());

    QProcess scanner;
    scanner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    scanner.start(TARVEX_SCANNER, {"--link", link, "--wait", "2000", "--gap", "600", "--linger", "60000",
                                   "--send-text", "GOOD"});
    ASSERT_TRUE(scanner.waitForStarted());
    scanner.closeWriteChannel();
    EXPECT_TRUE(tarvex.WaitFor([&] { return !tarvex.Log().filter("scanner found: ").isEmpty(); }));
    EXPECT_TRUE(tarvex.WaitForAcknowledgement(scanner));
    EXPECT_EQ(addedPrograms(tarvex), QStringList({"GOOD.CNC"}));
}

} // namespace
