#include "e2e/TarvexProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An ISO program of about the given length, with backslashes in its comments so that the
// payload's backslash doubling is exercised, ending without a line end.
QByteArray isoProgram(const QByteArray& firstLines, int length)
{
    QByteArray text = firstLines;
    for (int n = 1; text.size() < length; ++n)
        text += "N" + QByteArray::number(n) + " G1 X" + QByteArray::number(n * 37 % 600) + " Y" +
                QByteArray::number(n * 53 % 400) + (n % 9 == 0 ? " (\\\\TOOL\\)" : "") + "\r\n";
    return text + "M30";
}

// The real tarvex on the virtual scanner's pseudo-terminal: a program barcode, then a compressed
// program barcode long enough for the work-file route.
TEST(ProgramScanTest, ProgramBarcodesFromTheVirtualScannerBecomeFilesAndLines)
{
    TarvexProcess tarvex;
    const QByteArray first = isoProgram("G71 X100 Y50 Z20\r\n(FIRST)\r\n", 200);
    const QByteArray second = isoProgram("G71 X600 Y400 Z20\r\n(SECOND)\r\n", 30000);
    const QString folder = tarvex.DataFolder() + "/..";
    {
        QFile f(folder + "/first.cnc");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(first);
        QFile g(folder + "/second.cnc");
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        g.write(second);
    }

    // The scanner keeps silent until tarvex has surely opened its port, which flushes what
    // arrived before, and stays until it is ended: its leaving hangs the line up, which would
    // close the port before the last scan was handled.
    const int waitMs = 4000;
    QProcess scanner;
    scanner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    scanner.start(TARVEX_SCANNER, {"--wait", QString::number(waitMs), "--gap", "600", "--linger", "60000",
                                   "--program", "P1^X100^Y50^Z20^UN", "--send-file", folder + "/first.cnc",
                                   "--program", "SUB\\P2^UN", "--compress", "--send-file", folder + "/second.cnc"});
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(scanner.waitForStarted());
    while (!scanner.canReadLine() && scanner.waitForReadyRead(5000)) {
    }
    const QString device = QString::fromLocal8Bit(scanner.readLine()).trimmed();
    ASSERT_TRUE(device.startsWith("/dev/"));

    tarvex.UsePortDevice(device);
    tarvex.Configure("GCodePath=C:\\PROGS\\\r\n");
    ASSERT_TRUE(tarvex.Start());
    ASSERT_LT(clock.elapsed(), waitMs - 500) << "tarvex started too slowly for the scanner's wait";

    const auto handled = [&] { return tarvex.Log().filter("scan handled").size(); };
    ASSERT_TRUE(tarvex.WaitFor([&] { return handled() >= 2; }, std::chrono::seconds(30)));
    scanner.terminate();
    EXPECT_TRUE(scanner.waitForFinished(5000));

    EXPECT_EQ(readFile(tarvex.DriveC() + "/PROGS/P1"), first + "\r\n");
    EXPECT_EQ(readFile(tarvex.DriveC() + "/PROGS/SUB/P2"), second + "\r\n");
    // The compressed one went through the work files, which stay.
    EXPECT_EQ(readFile(tarvex.DriveC() + "/Veltra/Bin/Temp.Dat"), "SUB\\P2^UN!" + second);

    const QStringList added = tarvex.Journal().filter(QRegularExpression("^AddLine\t"));
    ASSERT_EQ(added.size(), 2) << tarvex.Journal().join('\n').toStdString();
    EXPECT_TRUE(added[0].startsWith("AddLine\t#161=P1;#164=1;#171=1;#284=0;"));
    EXPECT_TRUE(added[0].contains("#168=100;#169=50;#170=20;"));
    EXPECT_TRUE(added[1].startsWith("AddLine\t#161=SUB\\P2;#164=1;#171=1;"));
    EXPECT_TRUE(added[1].contains("#168=600;#169=400;#170=20;")); // read from the saved file
    // The first scan clears the work list before adding to it.
    const QStringList journal = tarvex.Journal();
    EXPECT_LT(journal.indexOf("ClearList"), journal.indexOf(QRegularExpression("AddLine\t.*")));
    EXPECT_GE(journal.indexOf("ClearList"), 0);

    // No acknowledgement goes back for program barcodes.
    EXPECT_FALSE(scanner.readAllStandardOutput().contains("ACK"));
    tarvex.Stop();
}

} // namespace
