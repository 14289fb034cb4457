#include "platform/Files.h"
#include "platform/RuntimeError.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(FilesTest, AMissingFileIsErrorFileNotFound)
{
    TestEnvironment env;
    bool sourceFailed = false;
    try {
        Files::AppendFile(env.Root() + "/missing", env.Root() + "/out.csv", sourceFailed);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), RuntimeError::FileNotFound);
        EXPECT_TRUE(e.Description().contains("missing"));
    }
    EXPECT_TRUE(sourceFailed);
    EXPECT_FALSE(QFile::exists(env.Root() + "/out.csv"));
    EXPECT_EQ(Files::Size(env.Root() + "/missing"), -1);
}

TEST(FilesTest, AppendFileAddsBytesUnchanged)
{
    TestEnvironment env;
    const QString path = env.Root() + "/out.csv";
    bool sourceFailed = true;
    Files::AppendFile(env.Write(env.Root() + "/a.csv", "a,b\r\n"), path, sourceFailed);
    Files::AppendFile(env.Write(env.Root() + "/b.csv", QByteArray("c\0\xf1", 3)), path, sourceFailed);
    EXPECT_EQ(TestEnvironment::Read(path), QByteArray("a,b\r\nc\0\xf1", 8));
}

TEST(FilesTest, AppendFileTakesFilesOfAnySizeAndPipesWithoutWaiting)
{
    TestEnvironment env;
    const QString out = env.Write(env.Root() + "/out.csv", "old\n");
    bool sourceFailed = true;
    // Larger than one piece of the copy, and not a multiple of it.
    QByteArray big(600 * 1024 + 7, 'c');
    big[0] = '\0';
    EXPECT_EQ(Files::AppendFile(env.Write(env.Root() + "/big.csv", big), out, sourceFailed), big.size());
    EXPECT_FALSE(sourceFailed);
    EXPECT_EQ(Files::AppendFile(env.Write(env.Root() + "/empty.csv", ""), out, sourceFailed), 0);
    EXPECT_EQ(TestEnvironment::Read(out), "old\n" + big);

    // The system gives this file's size as 0; it is still read to its end.
    const QString status = env.Root() + "/status";
    EXPECT_GT(Files::AppendFile("/proc/self/status", status, sourceFailed), 0);
    EXPECT_TRUE(TestEnvironment::Read(status).startsWith("Name:"));

    // Nobody writes to the pipe; an ordinary open would wait forever. It is no file: refused.
    const QString pipe = env.Root() + "/P1.CSV";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_THROW(Files::AppendFile(pipe, out, sourceFailed), RuntimeError);
    EXPECT_TRUE(sourceFailed);
    EXPECT_EQ(TestEnvironment::Read(out).size(), 4 + big.size());
}

TEST(FilesTest, AFailedCopyLeavesTheCollectingFileAsItWas)
{
    TestEnvironment env;
    const QString out = env.Write(env.Root() + "/out.csv", QByteArray(100, 'x'));
    const QString from = env.Write(env.Root() + "/in.csv", QByteArray(300 * 1024, 'y'));
    bool sourceFailed = true;
    {
        // The limit falls inside the second piece of the copy.
        FileSizeLimit limit(280 * 1024);
        EXPECT_THROW(Files::AppendFile(from, out, sourceFailed), RuntimeError);
    }
    EXPECT_FALSE(sourceFailed);
    EXPECT_EQ(TestEnvironment::Read(out), QByteArray(100, 'x'));

    // A folder opens but cannot be read: the failure is the source's.
    ASSERT_TRUE(QDir().mkpath(env.Root() + "/folder.csv"));
    EXPECT_THROW(Files::AppendFile(env.Root() + "/folder.csv", out, sourceFailed), RuntimeError);
    EXPECT_TRUE(sourceFailed);
    EXPECT_EQ(TestEnvironment::Read(out), QByteArray(100, 'x'));

    EXPECT_THROW(Files::AppendFile(from, "/dev/full", sourceFailed), RuntimeError);
    EXPECT_FALSE(sourceFailed);
}

TEST(FilesTest, AtomicWritesCreateTheFolderAndNeverLeaveHalfAFile)
{
    TestEnvironment env;
    const QString path = env.Root() + "/new/folder/P1";
    Files::WriteAtomically(path, "G71 X1\r\n");
    EXPECT_EQ(TestEnvironment::Read(path), QByteArray("G71 X1\r\n"));
    EXPECT_EQ(QFile::permissions(path) & QFile::ReadOther, QFile::ReadOther);
    {
        FileSizeLimit limit(16);
        EXPECT_THROW(Files::WriteAtomically(path, QByteArray(64, 'z')), RuntimeError);
    }
    EXPECT_EQ(TestEnvironment::Read(path), QByteArray("G71 X1\r\n"));
    EXPECT_EQ(QDir(env.Root() + "/new/folder").entryList(QDir::Files).size(), 1);
}

// Stands in for the system calls behind the writes while it lives: a write fails once the given
// number of bytes went through, fsync fails when told to, and every call is recorded in order.
class FailingCalls {
public:
    explicit FailingCalls(qint64 failAfter = -1, bool failFsync = false) : saved_(Files::Calls())
    {
        Files::Calls().write = [this, failAfter](int fd, const void* p, size_t n) -> ssize_t {
            if (failAfter >= 0 && written_ + static_cast<qint64>(n) > failAfter) {
                errno = ENOSPC;
                return -1;
            }
            written_ += static_cast<qint64>(n);
            calls << "write";
            return ::write(fd, p, n);
        };
        Files::Calls().fsync = [this, failFsync](int fd) {
            calls << "fsync";
            if (failFsync) {
                errno = EIO;
                return -1;
            }
            return ::fsync(fd);
        };
        Files::Calls().rename = [this](const char* from, const char* to) {
            calls << "rename";
            return ::rename(from, to);
        };
    }
    ~FailingCalls() { Files::Calls() = saved_; }

    QStringList calls;

private:
    Files::SystemCalls saved_;
    qint64 written_ = 0;
};

TEST(FilesTest, AtomicWritesCheckEveryWriteAndTheFlushBeforeTheRename)
{
    TestEnvironment env;
    const QString folder = env.Root() + "/programs";
    const QString path = env.Write(folder + "/P1.CNC", "old\r\n");
    const struct {
        qint64 failAfter;
        bool failFsync;
    } faults[] = {{0, false}, {5, false}, {-1, true}};
    for (const auto& fault : faults) {
        FailingCalls calls(fault.failAfter, fault.failFsync);
        EXPECT_THROW(Files::WriteAtomically(path, "G71 X1 Y2 Z3\r\n"), RuntimeError) << fault.failAfter;
        EXPECT_FALSE(calls.calls.contains("rename")) << fault.failAfter;
        EXPECT_EQ(TestEnvironment::Read(path), "old\r\n");
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
    {
        FailingCalls calls;
        Files::WriteAtomically(path, "new\r\n");
        // The data is on the disk before the name points at it.
        EXPECT_EQ(calls.calls, QStringList({"write", "fsync", "rename"}));
    }
    EXPECT_EQ(TestEnvironment::Read(path), "new\r\n");

    // A name as long as a file name may be still gets its temporary file.
    const QString longest = folder + "/" + QString(251, 'L') + ".CNC";
    Files::WriteAtomically(longest, "x");
    EXPECT_EQ(TestEnvironment::Read(longest), "x");
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
