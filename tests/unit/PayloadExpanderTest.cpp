#include "config/TextNumber.h"
#include "program/PayloadExpander.h"
#include "station/StationState.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// A program-like text: compressible, but with enough variety that the compressed data holds
// every byte value, backslashes included.
QByteArray programText(int length, unsigned seed = 1)
{
    std::mt19937 rng(seed);
    QByteArray text;
    text.reserve(length + 40);
    int n = 1;
    while (text.size() < length) {
        text += "N" + QByteArray::number(n++) + " G1 X" + QByteArray::number(rng() % 100000 / 100.0) + " Y" +
                QByteArray::number(rng() % 100000 / 100.0) + (rng() % 7 == 0 ? " \\\\T" : "") + "\r\n";
    }
    text.truncate(length);
    return text;
}

class PayloadExpanderTest : public testing::Test {
protected:
    QString expand(const QByteArray& scan)
    {
        QString s = QString::fromLatin1(scan);
        return expander.ExpandPayload(s);
    }
    QString workFile(const char* name) const { return env.DataFolder() + "/drive_c/Veltra/Bin/" + name; }
    bool reported() const { return state.Status().startsWith("Compressed barcode dropped: "); }

    TestEnvironment env;
    StationState state;
    PayloadExpander expander{state};
};

TEST_F(PayloadExpanderTest, UpTo23072CharactersStayInMemory)
{
    const QByteArray text = programText(PayloadExpander::MemoryLimit);
    const QByteArray scan = PayloadExpander::MakeScan(text);
    EXPECT_GT(scan.count("\\\\"), 0); // the doubling the expander must undo did occur
    EXPECT_EQ(expand(scan), QString::fromLatin1(text));
    EXPECT_FALSE(QFile::exists(workFile("Temp.Cmp")));
    EXPECT_FALSE(QFile::exists(workFile("Temp.Dat")));
    EXPECT_EQ(state.Status(), "Ready.");
}

TEST_F(PayloadExpanderTest, LongerPayloadsGoThroughTheWorkFilesWhichStay)
{
    const QByteArray text = programText(PayloadExpander::MemoryLimit + 1);
    const QByteArray scan = PayloadExpander::MakeScan(text);
    EXPECT_EQ(expand(scan), QString::fromLatin1(text));
    EXPECT_EQ(TestEnvironment::Read(workFile("Temp.Dat")), text);
    const QByteArray data = PayloadExpander::UndoBackslashDoubling(scan.mid(11));
    EXPECT_EQ(TestEnvironment::Read(workFile("Temp.Cmp")), data);
}

TEST_F(PayloadExpanderTest, AnOlderLongerCompressedWorkFileKeepsItsTail)
{
    const QByteArray old(300000, 'x');
    env.Write(workFile("Temp.Cmp"), old);
    const QByteArray text = programText(30000, 7);
    EXPECT_EQ(expand(PayloadExpander::MakeScan(text)), QString::fromLatin1(text));
    const QByteArray cmp = TestEnvironment::Read(workFile("Temp.Cmp"));
    EXPECT_EQ(cmp.size(), old.size());
    EXPECT_TRUE(cmp.endsWith("xxxx"));
}

TEST_F(PayloadExpanderTest, TheLargestPayloadAnnounced)
{
    const QByteArray text = programText(PayloadExpander::MaxLength, 3);
    const QByteArray scan = PayloadExpander::MakeScan(text);
    EXPECT_EQ(scan.mid(3, 5), "99999");
    EXPECT_EQ(expand(scan), QString::fromLatin1(text));
    EXPECT_TRUE(PayloadExpander::MakeScan(text + "x").isEmpty());

    QByteArray beyond = scan;
    beyond.replace(3, 5, "1e5  "); // reads as 100,000
    EXPECT_EQ(expand(beyond), "");
    EXPECT_TRUE(reported());
}

TEST_F(PayloadExpanderTest, BackslashRunsLoseEverySecondBackslash)
{
    EXPECT_EQ(PayloadExpander::UndoBackslashDoubling("ab"), "ab");
    EXPECT_EQ(PayloadExpander::UndoBackslashDoubling("a\\b"), "a\\b");
    EXPECT_EQ(PayloadExpander::UndoBackslashDoubling("a\\\\b"), "a\\b");
    EXPECT_EQ(PayloadExpander::UndoBackslashDoubling("a\\\\\\b"), "a\\\\b");
    EXPECT_EQ(PayloadExpander::UndoBackslashDoubling("a\\\\\\\\b"), "a\\\\b");
    EXPECT_EQ(PayloadExpander::UndoBackslashDoubling("\\\\x\\\\"), "\\x\\");

    // The scan is left holding the data as handed to the codec.
    QString scan = QString::fromLatin1("\xf1" "0000010000\\\\\\z");
    expander.ExpandPayload(scan);
    EXPECT_EQ(scan, "\\\\z");
}

TEST_F(PayloadExpanderTest, UnusedPositionsHaveNoInfluence)
{
    const QByteArray text = programText(500);
    QByteArray scan = PayloadExpander::MakeScan(text);
    scan.replace(1, 2, "\\^");
    scan.replace(8, 3, "\xf1%!");
    EXPECT_EQ(expand(scan), QString::fromLatin1(text));
}

TEST_F(PayloadExpanderTest, ALengthFieldThatIsNoPositiveNumberDropsTheScan)
{
    const QByteArray text = programText(500);
    for (const QByteArray field : {"ABCDE", "00000", "-0500", "0.4  "}) {
        QByteArray scan = PayloadExpander::MakeScan(text);
        scan.replace(3, 5, field);
        state.SetStatus("Ready.");
        EXPECT_EQ(expand(scan), "") << field.constData();
        EXPECT_TRUE(reported()) << field.constData();
    }
    EXPECT_TRUE(env.LogLines().last().contains("expanded length field \"0.4  \""));

    // Leading blanks and a trailing rest still give the number, as every text number does.
    QByteArray scan = PayloadExpander::MakeScan(text);
    scan.replace(3, 5, "  500");
    EXPECT_EQ(expand(scan), QString::fromLatin1(text));
}

TEST_F(PayloadExpanderTest, DamagedDataIsReportedAndDropped)
{
    const QByteArray text = programText(5000);
    const QByteArray scan = PayloadExpander::MakeScan(text);

    EXPECT_EQ(expand(scan.left(scan.size() - 20)), "");
    EXPECT_EQ(state.Status(), "Compressed barcode dropped: data is truncated.");

    QByteArray corrupt = scan;
    for (int i = 40; i < 60; ++i)
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5a);
    state.SetStatus(QString());
    EXPECT_EQ(expand(corrupt), "");
    EXPECT_TRUE(reported());

    QByteArray wrongLength = scan;
    wrongLength.replace(3, 5, "05001");
    EXPECT_EQ(expand(wrongLength), "");
    EXPECT_EQ(state.Status(), "Compressed barcode dropped: data expands to fewer characters than announced.");
    EXPECT_TRUE(env.LogLines().last().startsWith("ERROR Compressed payload dropped: "));

    // The same through the work files.
    const QByteArray big = programText(40000);
    const QByteArray bigScan = PayloadExpander::MakeScan(big);
    EXPECT_EQ(expand(bigScan.left(bigScan.size() / 2)), "");
    EXPECT_EQ(state.Status(), "Compressed barcode dropped: data is truncated.");
}

TEST_F(PayloadExpanderTest, WorkFilesThatCannotBeWrittenAreReported)
{
    const QByteArray scan = PayloadExpander::MakeScan(programText(30000));
    // A file where the work folder should be.
    env.Write(env.DataFolder() + "/drive_c/Veltra", "in the way");
    EXPECT_EQ(expand(scan), "");
    EXPECT_EQ(state.Status(), "Compressed barcode dropped: cannot create the work folder.");

    QFile::remove(env.DataFolder() + "/drive_c/Veltra");
    ASSERT_TRUE(QDir().mkpath(workFile("Temp.Dat"))); // a folder where the output should go
    EXPECT_EQ(expand(scan), "");
    EXPECT_EQ(state.Status(), "Compressed barcode dropped: work file could not be written: C:\\Veltra\\Bin\\Temp.Dat.");
}

TEST_F(PayloadExpanderTest, WorkFilesThatAreLinksAreNeitherWrittenNorReadThrough)
{
    const QByteArray scan = PayloadExpander::MakeScan(programText(30000));
    const QString outside = env.Write(env.Root() + "/outside", "untouched");
    ASSERT_TRUE(QDir().mkpath(workFile("")));
    for (const char* name : {"Temp.Cmp", "Temp.Dat"}) {
        QFile::remove(workFile("Temp.Cmp"));
        QFile::remove(workFile("Temp.Dat"));
        ASSERT_TRUE(QFile::link(outside, workFile(name)));
        EXPECT_EQ(expand(scan), "") << name;
        EXPECT_TRUE(state.Status().endsWith(QString("C:\\Veltra\\Bin\\") + name + ".")) << state.Status().toStdString();
        EXPECT_TRUE(env.LogLines().last().contains("is a symbolic link")) << env.LogLines().last().toStdString();
        EXPECT_EQ(TestEnvironment::Read(outside), "untouched");
    }
}

TEST_F(PayloadExpanderTest, RandomBytesAfterTheMarkerNeverCrash)
{
    std::mt19937 rng(20240611);
    const QByteArray valid = PayloadExpander::MakeScan(programText(3000));
    for (int i = 0; i < 1500; ++i) {
        QByteArray scan;
        if (i % 3 == 0) {
            // A real payload with a few bytes changed anywhere after the marker.
            scan = valid;
            for (int k = 0, n = 1 + int(rng() % 4); k < n; ++k)
                scan[1 + rng() % (scan.size() - 1)] = static_cast<char>(rng());
        } else {
            scan.append(static_cast<char>(PayloadExpander::Marker));
            const int length = int(rng() % 400);
            for (int k = 0; k < length; ++k)
                scan.append(static_cast<char>(rng()));
            if (i % 3 == 1 && scan.size() > 8) // a plausible length, so that the codec is reached
                scan.replace(3, 5, QByteArray::number(int(rng() % 30000)).rightJustified(5, '0'));
        }
        QString s = QString::fromLatin1(scan);
        const double announced = std::nearbyint(TextNumber::Value(s.mid(3, 5)));
        const QString out = expander.ExpandPayload(s);
        EXPECT_TRUE(out.isEmpty() || out.size() == announced) << i;
    }
}

} // namespace
