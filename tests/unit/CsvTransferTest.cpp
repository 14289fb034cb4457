#include "config/Configuration.h"
#include "platform/Files.h"
#include "platform/FileSearch.h"
#include "platform/RuntimeError.h"
#include "program/CsvTransfer.h"
#include "station/RunState.h"
#include "station/StationState.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/StatusRecorder.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    StationState state;
    StatusRecorder statuses{state};
    Configuration config{boxes};
    RunState run;
    CsvTransfer transfer{config, run, state};
    FileSearch files;
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
    EXPECT_TRUE(statuses.texts.isEmpty());
}

TEST_F(CsvTransferTest, ACollectingFileThatCannotBeWrittenKeepsTheCompanion)
{
    env.Write(in("B.CSV"), "keep me\n");
    config.CSVOutPath = "C:\\OUT";   // a folder, not a file
    env.Write(env.DataFolder() + "/drive_c/OUT/other", "");
    EXPECT_FALSE(transfer.TransferCsv("B.CNC"));
    EXPECT_TRUE(QFile::exists(in("B.CSV")));
    EXPECT_TRUE(state.Status().startsWith("CSV not transferred: C:\\OUT cannot be written"));
    EXPECT_TRUE(env.LogLines().join('\n').contains("cannot append"));

    config.CSVOutPath = "/dev/full";
    EXPECT_FALSE(transfer.TransferCsv("B.CNC"));
    EXPECT_EQ(TestEnvironment::Read(in("B.CSV")), QByteArray("keep me\n"));
}

TEST_F(CsvTransferTest, NamesReachingOutsideTheFolderAreRefused)
{
    env.Write(env.DataFolder() + "/drive_c/SECRET.CSV", "private\n");
    for (const QString& name : {QString("..\\SECRET.CNC"), QString("/etc/passwd"), QString("D:\\X.CNC")}) {
        state.SetStatus(QString());
        EXPECT_FALSE(transfer.TransferCsv(name));
        EXPECT_TRUE(state.Status().contains("points outside the CSV folder")) << name.toStdString();
    }
    EXPECT_TRUE(QFile::exists(env.DataFolder() + "/drive_c/SECRET.CSV"));
    EXPECT_FALSE(QFile::exists(out()));
}

TEST_F(CsvTransferTest, TheCollectingFileIsNeverAppendedToItself)
{
    // The collecting file inside the companions' folder, named like a label's program.
    config.CSVOutPath = "C:\\CSV\\OUT.CSV";
    env.Write(in("OUT.CSV"), "1;2\r\n");
    EXPECT_FALSE(transfer.TransferCsv("OUT.CNC"));
    EXPECT_EQ(state.Status(), "CSV not transferred: C:\\CSV\\OUT.CSV is the collecting file C:\\CSV\\OUT.CSV itself.");

    // A link to it, and the same through the file operation itself.
    ASSERT_TRUE(QFile::link(in("OUT.CSV"), in("LINK.CSV")));
    EXPECT_FALSE(transfer.TransferCsv("LINK.CNC"));
    bool sourceFailed = true;
    EXPECT_THROW(Files::AppendFile(in("LINK.CSV"), in("OUT.CSV"), sourceFailed), RuntimeError);
    EXPECT_EQ(TestEnvironment::Read(in("OUT.CSV")), QByteArray("1;2\r\n"));
    EXPECT_TRUE(QFile::exists(in("LINK.CSV")));
}

TEST_F(CsvTransferTest, ACompanionThatIsALinkIsNotFollowed)
{
    const QString secret = env.Write(env.Root() + "/secret.csv", "private\n");
    ASSERT_TRUE(QDir().mkpath(in("")));
    ASSERT_TRUE(QFile::link(secret, in("P2.CSV")));
    EXPECT_FALSE(transfer.TransferCsv("P2.CNC"));
    EXPECT_EQ(state.Status(), "CSV not transferred: C:\\CSV\\P2.CSV cannot be read.");
    EXPECT_TRUE(env.LogLines().join('\n').contains("is a symbolic link"));
    EXPECT_FALSE(QFile::exists(out()));
    EXPECT_TRUE(QFileInfo(in("P2.CSV")).isSymLink());
}

TEST_F(CsvTransferTest, ATransferCutOffIsTakenBackAtTheNextStartAndItsCompanionKept)
{
    // What a transfer killed half-way leaves: its record, part of a row, the companion.
    env.Write(out(), "old\nhalf,r");
    env.Write(in("P1.CSV"), "half,row\n");
    env.Write(CsvTransfer::PendingRecordPath(), "4\n" + QFile::encodeName(out()) + "\n");
    CsvTransfer::RecoverInterruptedTransfer();
    EXPECT_EQ(TestEnvironment::Read(out()), "old\n");
    EXPECT_FALSE(QFile::exists(CsvTransfer::PendingRecordPath()));
    EXPECT_TRUE(env.LogLines().join('\n').contains("cut back from 10 to 4 bytes"));
    EXPECT_EQ(TestEnvironment::Read(in("P1.CSV")), "half,row\n");

    // Scanned again, the companion goes over whole, and a finished transfer leaves no record.
    EXPECT_TRUE(transfer.TransferCsv("P1.CNC"));
    EXPECT_EQ(TestEnvironment::Read(out()), "old\nhalf,row\n");
    EXPECT_FALSE(QFile::exists(CsvTransfer::PendingRecordPath()));
    CsvTransfer::RecoverInterruptedTransfer();
    EXPECT_EQ(TestEnvironment::Read(out()), "old\nhalf,row\n");
}

TEST_F(CsvTransferTest, ANameTheFileSystemCannotLookUpIsThrownNotFatal)
{
    FakeProcessExit exit;
    Configuration config(boxes, files, exit);
    CsvTransfer transfer(config, run, state);
    config.CSVInPath = this->config.CSVInPath;
    config.CSVOutPath = this->config.CSVOutPath;
    ASSERT_TRUE(QDir().mkpath(in("")));
    EXPECT_THROW(transfer.TransferCsv(QString(300, 'A')), RuntimeError);
    ASSERT_TRUE(QFile::link(in("LOOP"), in("LOOP")));
    EXPECT_THROW(transfer.TransferCsv("LOOP\\X.CNC"), RuntimeError);
    EXPECT_FALSE(exit.ended);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(CsvTransferTest, ACompanionCopiedInAnotherLetterCaseIsFoundAsOnWindows)
{
    env.Write(in("part7.csv"), "7\r\n");
    env.Write(out(), "");
    EXPECT_TRUE(transfer.TransferCsv("PART7.CNC"));
    EXPECT_EQ(TestEnvironment::Read(out()), QByteArray("7\r\n"));
    EXPECT_FALSE(QFile::exists(in("part7.csv")));
    EXPECT_TRUE(env.LogLines().join('\n').contains("whose name differs only in letter case"));

    // Two candidates: neither is taken.
    env.Write(in("p8.csv"), "a\r\n");
    env.Write(in("P8.Csv"), "b\r\n");
    EXPECT_TRUE(transfer.TransferCsv("P8.CNC"));
    EXPECT_EQ(TestEnvironment::Read(out()), QByteArray("7\r\n"));
}

} // namespace
