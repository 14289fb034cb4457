#include "platform/Log.h"
#include "platform/LogFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

// The log file stays open between records; these check that it still follows the file on disk.
TEST(LogTest, RecordsAreAppendedOneLineEachWithTimeAndLevel)
{
    TestEnvironment env;
    Log::Info(QStringLiteral("first"));
    Log::Error(QStringLiteral("second"));

    const QList<QByteArray> lines = env.Read(Log::FilePath()).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].isEmpty());
    const QRegularExpression time(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
    EXPECT_TRUE(time.match(QString::fromUtf8(lines[0])).hasMatch()) << lines[0].constData();
    EXPECT_EQ(env.LogLines(), QStringList({QStringLiteral("INFO first"), QStringLiteral("ERROR second")}));
}

TEST(LogTest, RemovedOrMovedLogGetsANewFileForTheNextRecord)
{
    TestEnvironment env;
    Log::Info(QStringLiteral("before"));
    ASSERT_TRUE(QFile::remove(Log::FilePath()));
    Log::Info(QStringLiteral("after removal"));
    EXPECT_EQ(env.LogLines(), QStringList(QStringLiteral("INFO after removal")));

    ASSERT_TRUE(QFile::rename(Log::FilePath(), Log::FilePath() + QStringLiteral(".1")));
    Log::Info(QStringLiteral("after rotation"));
    EXPECT_EQ(env.LogLines(), QStringList(QStringLiteral("INFO after rotation")));
    EXPECT_EQ(env.Read(Log::FilePath() + QStringLiteral(".1")).count('\n'), 1);
}

TEST(LogTest, ChangedDataFolderGetsItsOwnLog)
{
    QString firstPath;
    {
        TestEnvironment first;
        Log::Info(QStringLiteral("in the first"));
        firstPath = Log::FilePath();
        TestEnvironment second;
        Log::Info(QStringLiteral("in the second"));
        EXPECT_NE(Log::FilePath(), firstPath);
        EXPECT_EQ(second.LogLines(), QStringList(QStringLiteral("INFO in the second")));
        const QByteArray earlier = TestEnvironment::Read(firstPath);
        EXPECT_TRUE(earlier.endsWith(" INFO in the first\n")) << earlier.constData();
        EXPECT_FALSE(earlier.contains("second"));
    }
}

TEST(LogTest, PathsStayAsTheyAreAndOnlyWhatIsNotPrintableIsEscaped)
{
    EXPECT_EQ(Log::Printable(QStringLiteral("C:\\LISTS\\JOB7.LST")), QStringLiteral("C:\\LISTS\\JOB7.LST"));
    EXPECT_EQ(Log::Printable(QString::fromLatin1("a\tb\r\n\xe9\x7f")), QString::fromLatin1("a\\x09b\\x0D\\x0A\xe9\\x7F"));
}

// A small limit stands for the real 1 MiB: the rotation is the same.
TEST(LogTest, AFullLogIsRotatedKeepingThreeOldFilesAndEveryRecentRecordInOrder)
{
    TestEnvironment env;
    const QString path = Log::FilePath();
    LogFile file(100, 3);
    QByteArray all;
    for (int i = 0; i < 40; ++i) {
        const QByteArray line = "record " + QByteArray::number(i).rightJustified(3, '0') + " of the test\n";
        file.Write(line, false);
        all += line;
    }
    QByteArray kept;
    for (const QString& name : {path + ".3", path + ".2", path + ".1", path}) {
        const QByteArray content = TestEnvironment::Read(name);
        EXPECT_FALSE(content.isEmpty()) << name.toStdString();
        EXPECT_LE(content.size(), 100) << name.toStdString();
        EXPECT_TRUE(content.endsWith('\n')) << name.toStdString();
        kept += content;
    }
    EXPECT_FALSE(QFile::exists(path + ".4"));
    // The oldest records went with the dropped files; the rest are all there, in order.
    EXPECT_TRUE(all.endsWith(kept)) << kept.constData();
    EXPECT_GE(kept.count('\n'), 4 * (100 / 24));
}

TEST(LogTest, ALogThatCannotBeRotatedGrowsAndSaysSoOnce)
{
    TestEnvironment env;
    const QString path = Log::FilePath();
    // Renaming .2 onto .3 fails as it would in a folder that is not writable (which root can
    // always write to): nothing may move.
    env.Write(path + ".2", "older\n");
    env.Write(path + ".3/in the way", "");
    LogFile file(50, 3);
    QByteArray all;
    QStringList failures;
    for (int i = 0; i < 10; ++i) {
        const QByteArray line = "record " + QByteArray::number(i) + " of the test\n";
        file.Write(line, false);
        all += line;
        if (const QString failure = file.TakeRotationFailure(); !failure.isEmpty())
            failures << failure;
    }
    EXPECT_EQ(TestEnvironment::Read(path), all);
    EXPECT_EQ(TestEnvironment::Read(path + ".2"), "older\n");
    EXPECT_FALSE(QFile::exists(path + ".1"));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains("cannot rename") && failures[0].contains("goes on growing")) << failures[0].toStdString();

    // The obstacle gone, the next records rotate the log again.
    ASSERT_TRUE(QDir(path + ".3").removeRecursively());
    file.Write("after the obstacle\n", false);
    EXPECT_EQ(TestEnvironment::Read(path + ".1"), all);
    EXPECT_EQ(TestEnvironment::Read(path), "after the obstacle\n");
}
