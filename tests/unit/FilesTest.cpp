#include "platform/Files.h"
#include "platform/RuntimeError.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(FilesTest, AMissingFileIsErrorFileNotFound)
{
    TestEnvironment env;
    try {
        Files::ReadAll(env.Root() + "/missing");
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), RuntimeError::FileNotFound);
        EXPECT_TRUE(e.Description().contains("missing"));
    }
    EXPECT_EQ(Files::Size(env.Root() + "/missing"), -1);
}

TEST(FilesTest, AppendAddsBytesUnchanged)
{
    TestEnvironment env;
    const QString path = env.Root() + "/out.csv";
    Files::Append(path, "a,b\r\n");
    Files::Append(path, QByteArray("c\0\xf1", 3));
    EXPECT_EQ(Files::ReadAll(path), QByteArray("a,b\r\nc\0\xf1", 8));
}

TEST(FilesTest, ReadAllTakesFilesOfAnySizeAndPipesWithoutWaiting)
{
    TestEnvironment env;
    QByteArray big(3 * 65536 + 7, 'c');
    big[0] = '\0';
    EXPECT_EQ(Files::ReadAll(env.Write(env.Root() + "/big.csv", big)), big);
    EXPECT_EQ(Files::ReadAll(env.Write(env.Root() + "/empty.csv", "")), QByteArray());
    // The system gives this file's size as 0; it is still read to its end.
    EXPECT_TRUE(Files::ReadAll("/proc/self/status").startsWith("Name:"));

    // Nobody writes to the pipe; an ordinary open would wait forever.
    const QString pipe = env.Root() + "/P1.CSV";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(Files::ReadAll(pipe), QByteArray());
}

TEST(FilesTest, AFailedAppendLeavesTheFileAsItWas)
{
    TestEnvironment env;
    const QString path = env.Write(env.Root() + "/out.csv", QByteArray(100, 'x'));
    {
        FileSizeLimit limit(150);
        EXPECT_THROW(Files::Append(path, QByteArray(100, 'y')), RuntimeError);
    }
    EXPECT_EQ(Files::ReadAll(path), QByteArray(100, 'x'));
    EXPECT_THROW(Files::Append("/dev/full", "data"), RuntimeError);
}

TEST(FilesTest, AtomicWritesCreateTheFolderAndNeverLeaveHalfAFile)
{
    TestEnvironment env;
    const QString path = env.Root() + "/new/folder/P1";
    Files::WriteAtomically(path, "G71 X1\r\n");
    EXPECT_EQ(Files::ReadAll(path), QByteArray("G71 X1\r\n"));
    EXPECT_EQ(QFile::permissions(path) & QFile::ReadOther, QFile::ReadOther);
    {
        FileSizeLimit limit(16);
        EXPECT_THROW(Files::WriteAtomically(path, QByteArray(64, 'z')), RuntimeError);
    }
    EXPECT_EQ(Files::ReadAll(path), QByteArray("G71 X1\r\n"));
    EXPECT_EQ(QDir(env.Root() + "/new/folder").entryList(QDir::Files).size(), 1);
}

TEST(FilesTest, RemoveReportsWhatCannotBeRemoved)
{
    TestEnvironment env;
    const QString path = env.Write(env.Root() + "/a", "x");
    Files::Remove(path);
    EXPECT_EQ(Files::Size(path), -1);
    EXPECT_THROW(Files::Remove(path), RuntimeError);
}

} // namespace
