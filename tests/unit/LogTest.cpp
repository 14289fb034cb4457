#include "platform/Log.h"
#include "support/TestEnvironment.h"

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
