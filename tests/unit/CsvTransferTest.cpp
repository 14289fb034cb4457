#include "config/Configuration.h"
#include "config/RunState.h"
#include "program/CsvTransfer.h"
#include "support/FakeMainView.h"
#include "support/FakeMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class CsvTransferTest : public testing::Test {
protected:
    CsvTransferTest()
    {
        config.CSVInPath = "C:\\CSV";
        config.CSVOutPath = "C:\\OUT\\Tarvex.csv";
    }
    QString in(const QString& name) const { return env.DataFolder() + "/drive_c/CSV/" + name; }
    QString out() const { return env.DataFolder() + "/drive_c/OUT/Tarvex.csv"; }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeMainView view;
    Configuration config{boxes};
    RunState run;
    CsvTransfer transfer{config, run, view};
};

TEST_F(CsvTransferTest, TheCompanionIsAppendedUnchangedAndDeleted)
{
    env.Write(in("PART7.CSV"), "1,2,3\r\n4,5");
    env.Write(out(), "old\r\n");
    EXPECT_TRUE(transfer.TransferCsv("PART7.CNC"));
    EXPECT_EQ(TestEnvironment::Read(out()), QByteArray("old\r\n1,2,3\r\n4,5"));
    EXPECT_FALSE(QFile::exists(in("PART7.CSV")));

    // The last line had no line end: the next transfer continues on it.
    env.Write(in("P8.CSV"), ",6\r\n");
    EXPECT_TRUE(transfer.TransferCsv("P8.cnc"));
    EXPECT_EQ(TestEnvironment::Read(out()), QByteArray("old\r\n1,2,3\r\n4,5,6\r\n"));
}

TEST_F(CsvTransferTest, CompanionPathsFollowTheProgramName)
{
    EXPECT_EQ(transfer.CompanionPath("PART7.CNC"), "C:\\CSV\\PART7.CSV");
    EXPECT_EQ(transfer.CompanionPath("part7.cnc"), "C:\\CSV\\part7.CSV");
    EXPECT_EQ(transfer.CompanionPath("PROG1%"), "C:\\CSV\\PROG1%.CSV");
    EXPECT_EQ(transfer.CompanionPath(" P.CNC "), "C:\\CSV\\ P.CNC .CSV");
}

TEST_F(CsvTransferTest, KeepSwitchesKeepTheCompanion)
{
    env.Write(out(), "");
    for (const QString& commandLine : {QString("KEEPCSV"), QString("NOAPP KEEP CSV")}) {
        run.CommandLine = commandLine;
        env.Write(in("A.CSV"), "x\n");
        EXPECT_TRUE(transfer.TransferCsv("A.CNC"));
        EXPECT_TRUE(QFile::exists(in("A.CSV"))) << commandLine.toStdString();
    }
    EXPECT_EQ(TestEnvironment::Read(out()), QByteArray("x\nx\n"));
}

TEST_F(CsvTransferTest, NoCompanionDoesNothing)
{
    EXPECT_TRUE(transfer.TransferCsv("NONE.CNC"));
    EXPECT_FALSE(QFile::exists(out()));
    EXPECT_TRUE(view.statusHistory.isEmpty());
}

TEST_F(CsvTransferTest, ACollectingFileThatCannotBeWrittenKeepsTheCompanion)
{
    env.Write(in("B.CSV"), "keep me\n");
    config.CSVOutPath = "C:\\OUT";   // a folder, not a file
    env.Write(env.DataFolder() + "/drive_c/OUT/other", "");
    EXPECT_FALSE(transfer.TransferCsv("B.CNC"));
    EXPECT_TRUE(QFile::exists(in("B.CSV")));
    EXPECT_TRUE(view.status.startsWith("CSV not transferred: C:\\OUT cannot be written"));
    EXPECT_TRUE(env.LogLines().join('\n').contains("cannot append"));

    config.CSVOutPath = "/dev/full";
    EXPECT_FALSE(transfer.TransferCsv("B.CNC"));
    EXPECT_EQ(TestEnvironment::Read(in("B.CSV")), QByteArray("keep me\n"));
}

TEST_F(CsvTransferTest, NamesReachingOutsideTheFolderAreRefused)
{
    env.Write(env.DataFolder() + "/drive_c/SECRET.CSV", "private\n");
    for (const QString& name : {QString("..\\SECRET.CNC"), QString("/etc/passwd"), QString("D:\\X.CNC")}) {
        view.status.clear();
        EXPECT_FALSE(transfer.TransferCsv(name));
        EXPECT_TRUE(view.status.contains("points outside the CSV folder")) << name.toStdString();
    }
    EXPECT_TRUE(QFile::exists(env.DataFolder() + "/drive_c/SECRET.CSV"));
    EXPECT_FALSE(QFile::exists(out()));
}

} // namespace
