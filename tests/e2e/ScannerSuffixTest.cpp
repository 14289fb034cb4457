#include "e2e/TarvexProcess.h"
#include "support/QtPrinters.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

// The scanner on the pseudo-terminal, plain labels that each become a line at once.
void configure(TarvexProcess& tarvex, const QByteArray& keys)
{
    QFile f(tarvex.ConfigFolder() + "/ZEM.INI");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[GESTBCOD]\r\nCommPort=1\r\nGCodePath=C:\\PRODUCT\\\r\nCSVInPath=C:\\CSV\r\nCSVOutPath=C:\\OUT\\Tarvex.csv\r\n"
            "AutoStart=0\r\nAutoClear=0\r\nFieldCode_DFN=a1\r\n" +
            keys + "[Ports]\r\nCOM1=" + tarvex.ScannerDevice().toLocal8Bit() + "\r\n");
}

// The journal's AddLine records: when each was made and the program it names.
QList<QPair<QDateTime, QString>> addedLines(const TarvexProcess& tarvex)
{
    QList<QPair<QDateTime, QString>> lines;
    QFile f(tarvex.DataFolder() + "/listmanager.log");
    if (!f.open(QIODevice::ReadOnly))
        return lines;
    for (const QString& record : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = record.split('\t');
        if (fields.size() >= 3 && fields[1] == "AddLine")
            lines.append({QDateTime::fromString(fields[0], "yyyy-MM-ddTHH:mm:ss.zzz"), fields[2].section(';', 0, 0).mid(5)});
    }
    return lines;
}

// Sends codes one at a time, each once the line of the one before is in the journal; the time
// from the last character sent to the line reaching the list manager, in ms, for each.
QList<qint64> timeEach(TarvexProcess& tarvex, const QByteArray& suffix, int count)
{
    QList<qint64> times;
    for (int i = 0; i < count; ++i) {
        const qsizetype before = addedLines(tarvex).size();
        // Past the pause that ends each label, so that the code is not kept waiting by it.
        tarvex.WaitFor([&] { return tarvex.Log().filter("scan handled").size() >= before; }, std::chrono::seconds(5));
        const QDateTime sent = QDateTime::currentDateTime();
        tarvex.Send("TIMED" + QByteArray::number(i) + suffix);
        if (!tarvex.WaitFor([&] { return addedLines(tarvex).size() > before; }, std::chrono::seconds(15), std::chrono::milliseconds(5)))
            break;
        times << sent.msecsTo(addedLines(tarvex).last().first);
    }
    return times;
}

QString summary(QList<qint64> times)
{
    std::sort(times.begin(), times.end());
    return times.isEmpty() ? QString("none")
                           : QString("median %1 ms, %2 to %3 ms").arg(times[times.size() / 2]).arg(times.front()).arg(times.back());
}

// With a suffix, codes end when their suffix is read, whatever the poll tick (half a minute
// here, so a line that waited for ticks would not come within the test's patience). Printed, not
// asserted: the time from the last character to the line, with and without a suffix.
TEST(ScannerSuffixTest, CodesEndAtTheirSuffixWhateverThePollTime)
{
    QList<qint64> withSuffix;
    {
        TarvexProcess tarvex;
        configure(tarvex, "CommPollTime=30000\r\nScanSuffix=CR\r\n");
        ASSERT_TRUE(tarvex.Start());
        tarvex.Send("PLAIN1\rPLAIN2\rPLA");
        tarvex.Send("IN3\r");
        ASSERT_TRUE(tarvex.WaitFor([&] { return addedLines(tarvex).size() == 3; }));
        QStringList programs;
        for (const auto& line : addedLines(tarvex))
            programs << line.second;
        EXPECT_EQ(programs, QStringList({"PLAIN1.CNC", "PLAIN2.CNC", "PLAIN3.CNC"}));
        withSuffix = timeEach(tarvex, "\r", 5);
        EXPECT_EQ(withSuffix.size(), 5);
    }
    QList<qint64> bySilence;
    {
        TarvexProcess tarvex;
        configure(tarvex, "CommPollTime=100\r\n");
        ASSERT_TRUE(tarvex.Start());
        bySilence = timeEach(tarvex, "", 5);
        EXPECT_EQ(bySilence.size(), 5);
    }
    std::printf("last character -> line sent: suffix CR, CommPollTime 30000: %s; no suffix, CommPollTime 100: %s\n",
                qPrintable(summary(withSuffix)), qPrintable(summary(bySilence)));
}

} // namespace
