#include "platform/LineReader.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
QStringList readAll(const QString& path)
{
    LineReader reader(path);
    QStringList lines;
    if (!reader.Open())
        return {"<not opened>"};
    QString line;
    while (reader.ReadLine(line))
        lines << line;
    EXPECT_FALSE(reader.Failed());
    return lines;
}
} // namespace

TEST(LineReaderTest, AnyWindowsOrUnixLineEndEndsALine)
{
    TestEnvironment env;
    const QString f = env.Write(env.Root() + "/a.txt", "one\r\ntwo\nthree\rfour\r\r\n\nlast");
    EXPECT_EQ(readAll(f), QStringList({"one", "two", "three", "four", "", "", "last"}));
}

TEST(LineReaderTest, NothingAfterTheLastLineEndIsNoLine)
{
    TestEnvironment env;
    EXPECT_EQ(readAll(env.Write(env.Root() + "/b.txt", "x\r\n")), QStringList({"x"}));
    EXPECT_EQ(readAll(env.Write(env.Root() + "/c.txt", "")), QStringList());
}

TEST(LineReaderTest, LineEndsAndLongLinesAcrossReadChunks)
{
    TestEnvironment env;
    // A carriage return as the very last byte of a 16 KiB chunk, its line feed in the next one.
    const QByteArray first(16 * 1024 - 1, 'a');
    const QByteArray longLine(50000, 'b');
    const QString f = env.Write(env.Root() + "/d.txt", first + "\r\n" + longLine + "\r\nend\xe9");
    const QStringList lines = readAll(f);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), first.size());
    EXPECT_EQ(lines[1].size(), longLine.size());
    EXPECT_EQ(lines[2], QString::fromLatin1("end\xe9"));
}

TEST(LineReaderTest, ALineBeyondTheBoundEndsTheReadingInsteadOfFillingMemory)
{
    TestEnvironment env;
    const QString f = env.Write(env.Root() + "/e.txt", "first\r\n" + QByteArray(LineReader::MaxLineLength + 1, 'x') + "\r\nlast\r\n");
    LineReader reader(f);
    ASSERT_TRUE(reader.Open());
    QString line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_TRUE(reader.Failed());
    EXPECT_TRUE(reader.ErrorString().contains("longer than")) << reader.ErrorString().toStdString();
    EXPECT_FALSE(reader.ReadLine(line));

    // A line of exactly the bound is still read.
    const QByteArray atBound(LineReader::MaxLineLength, 'y');
    EXPECT_EQ(readAll(env.Write(env.Root() + "/f.txt", atBound + "\r\n" + atBound)), QStringList({atBound, atBound}));
}

TEST(LineReaderTest, AMissingFileDoesNotOpen)
{
    TestEnvironment env;
    LineReader reader(env.Root() + "/missing.txt");
    EXPECT_FALSE(reader.Open());
    EXPECT_FALSE(reader.ErrorString().isEmpty());
}

TEST(LineReaderTest, APipeInPlaceOfAFileDoesNotHoldTheReaderUp)
{
    // A program name can name anything in the folder; with nobody writing to the pipe an
    // ordinary open would wait forever.
    TestEnvironment env;
    const QString path = env.Root() + "/pipe.CNC";
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    LineReader reader(path);
    if (reader.Open()) {
        QString line;
        EXPECT_FALSE(reader.ReadLine(line));
    }
}
