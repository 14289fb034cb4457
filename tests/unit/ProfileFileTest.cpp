#include "platform/ProfileFile.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

class ProfileFileTest : public testing::Test {
protected:
    QString file(const QByteArray& content) { return env.Write(env.Root() + "/ZEM.INI", content); }
    QString read(const QString& path, const QString& section, const QString& key, int buffer = 128)
    {
        return ProfileFile::ReadString(path, section, key, "DEF", buffer);
    }
    TestEnvironment env;
};

TEST_F(ProfileFileTest, NamesMatchInAnyCaseAndBlanksAroundAreIgnored)
{
    const QString f = file("[gestbcod]\r\n  GcodePath \t=  D:\\Progs  \r\n");
    EXPECT_EQ(read(f, "GESTBCOD", "GCodePath"), "D:\\Progs");
    EXPECT_EQ(read(f, "GESTBCOD", "gcodepath"), "D:\\Progs");
}

TEST_F(ProfileFileTest, QuotePairsAreRemovedButLoneQuotesStay)
{
    const QString f = file("[S]\nA=\"quoted value\"\nB='x'\nC=\"\nD=\"open\nE=\"mixed'\n");
    EXPECT_EQ(read(f, "S", "A"), "quoted value");
    EXPECT_EQ(read(f, "S", "B"), "x");
    EXPECT_EQ(read(f, "S", "C"), "\"");
    EXPECT_EQ(read(f, "S", "D"), "\"open");
    EXPECT_EQ(read(f, "S", "E"), "\"mixed'");
}

TEST_F(ProfileFileTest, CommentsHashesAndLinesOutsideSections)
{
    const QString f = file("Early=1\n[S]\n;A=commented\n  ; B=also\n#C=data\nno equals sign\nD=#value\n");
    EXPECT_EQ(read(f, "S", "A"), "DEF");
    EXPECT_EQ(read(f, "S", "B"), "DEF");
    EXPECT_EQ(read(f, "S", "#C"), "data");
    EXPECT_EQ(read(f, "S", "D"), "#value");
    EXPECT_EQ(read(f, "", "Early"), "DEF");
}

TEST_F(ProfileFileTest, FirstDuplicateWinsAndRepeatedSectionsAreIgnored)
{
    const QString f = file("[S]\nA=first\nA=second\n[T]\nX=1\n[s]\nA=third\nB=late\n");
    EXPECT_EQ(read(f, "S", "A"), "first");
    EXPECT_EQ(read(f, "S", "B"), "DEF");
}

TEST_F(ProfileFileTest, LongValuesAreCutToTheBuffer)
{
    const QString f = file("[S]\nA=" + QByteArray(200, 'x') + "\n");
    EXPECT_EQ(read(f, "S", "A", 128).size(), 127);
    EXPECT_EQ(read(f, "S", "A", 80).size(), 79);
}

TEST_F(ProfileFileTest, IntegersTakeTheLeadingNumber)
{
    // F is 2^64 + 3: it must not wrap around to 3.
    const QString f = file("[S]\nA=12abc\nB= 1\nC=abc\nD=\nE=-5\nF=18446744073709551619\nG=-99999999999999999999x\n");
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "A", 7), 12);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "B", 7), 1);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "C", 7), 0);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "D", 7), 0);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "E", 7), -5);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "Missing", 7), 7);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "F", 7), std::numeric_limits<qint64>::max());
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "G", 7), -std::numeric_limits<qint64>::max());
}

TEST_F(ProfileFileTest, WriteChangesOnlyThatLineAndKeepsTheLayout)
{
    const QByteArray before = "; station 4\r\n[GESTBCOD]\r\n  autoclear = 1 \r\n\r\n; keep me\r\nOther=x\r\n[Drives]\r\nC=/srv\r\n";
    const QString f = file(before);
    ASSERT_TRUE(ProfileFile::WriteString(f, "gestbcod", "AutoClear", "0"));
    QByteArray expected = before;
    expected.replace("  autoclear = 1 ", "autoclear=0");
    EXPECT_EQ(TestEnvironment::Read(f), expected);
}

TEST_F(ProfileFileTest, NewKeyGoesAfterTheLastKeyOfItsSection)
{
    const QString f = file("[A]\nK1=1\n\n; comment\n[B]\nK=2\n");
    ASSERT_TRUE(ProfileFile::WriteString(f, "A", "K2", "new"));
    EXPECT_EQ(TestEnvironment::Read(f), QByteArray("[A]\nK1=1\nK2=new\n\n; comment\n[B]\nK=2\n"));
}

TEST_F(ProfileFileTest, NewSectionIsAppendedAndMissingFileCreated)
{
    const QString f = file("[A]\nK=1");
    ASSERT_TRUE(ProfileFile::WriteString(f, "B", "X", "y z"));
    EXPECT_EQ(TestEnvironment::Read(f), QByteArray("[A]\nK=1\n[B]\nX=y z\n"));

    const QString fresh = env.Root() + "/new.ini";
    ASSERT_TRUE(ProfileFile::WriteString(fresh, "GESTBCOD", "CommPort", "2"));
    EXPECT_EQ(TestEnvironment::Read(fresh), QByteArray("[GESTBCOD]\r\nCommPort=2\r\n"));
    EXPECT_EQ(ProfileFile::ReadInt(fresh, "GESTBCOD", "CommPort", 1), 2);
}

// A value typed with a line end would smuggle a key of its own into the file: refused whole.
TEST_F(ProfileFileTest, AValueWithALineEndIsNotWritten)
{
    const QByteArray before = "[LinuxCNC]\r\nHost=127.0.0.1\r\n";
    const QString f = file(before);
    for (const char* value : {"10.0.0.1\nProgramFolder=/etc", "10.0.0.1\r", "\n"}) {
        QString error;
        EXPECT_FALSE(ProfileFile::WriteString(f, "LinuxCNC", "Host", value, &error)) << value;
        EXPECT_TRUE(error.contains("Host")) << error.toStdString();
    }
    EXPECT_EQ(TestEnvironment::Read(f), before);
}

TEST_F(ProfileFileTest, ACarriageReturnEndingTheFileEndsTheLastLine)
{
    const QString f = file("[S]\r\nA=1\r\nB=3\r");
    EXPECT_EQ(read(f, "S", "B"), "3");
    ASSERT_TRUE(ProfileFile::WriteString(f, "S", "C", "x"));
    EXPECT_EQ(read(f, "S", "B"), "3");
    EXPECT_EQ(TestEnvironment::Read(f), QByteArray("[S]\r\nA=1\r\nB=3\r\nC=x\r\n"));

    const QString alone = file("[S]\rB=3\r");
    ASSERT_TRUE(ProfileFile::WriteString(alone, "T", "K", "v"));
    EXPECT_EQ(TestEnvironment::Read(alone), QByteArray("[S]\rB=3\r\n[T]\r\nK=v\r\n"));
}

TEST_F(ProfileFileTest, BytesPassThroughUnchanged)
{
    const QString f = file("[S]\nA=caf\xe9 \xf1\n");
    const QString value = read(f, "S", "A");
    EXPECT_EQ(value, QString::fromLatin1("caf\xe9 \xf1"));
    ASSERT_TRUE(ProfileFile::WriteString(f, "S", "B", value));
    EXPECT_EQ(TestEnvironment::Read(f), QByteArray("[S]\nA=caf\xe9 \xf1\nB=caf\xe9 \xf1\n"));
}

TEST_F(ProfileFileTest, AFileInUtf8StaysInUtf8AndAnyOtherKeepsItsBytes)
{
    const QString utf8 = file("[S]\r\nGCodePath=C:\\PR\xc3\x9c" "F\\\r\n");
    EXPECT_EQ(read(utf8, "S", "GCodePath"), QString::fromUtf8("C:\\PR\xc3\x9c" "F\\"));
    ASSERT_TRUE(ProfileFile::WriteString(utf8, "S", "ListPath", QString::fromUtf8("C:\\PR\xc3\x9c" "F\\lsx\\")));
    EXPECT_EQ(TestEnvironment::Read(utf8), QByteArray("[S]\r\nGCodePath=C:\\PR\xc3\x9c" "F\\\r\nListPath=C:\\PR\xc3\x9c" "F\\lsx\\\r\n"));

    // Not valid UTF-8 (a lone 0xDC): the Windows code page, byte for byte. ASCII only: the same.
    const QString latin1 = env.Write(env.Root() + "/latin1.ini", "[S]\r\nA=PR\xdc" "F\r\n");
    EXPECT_EQ(read(latin1, "S", "A"), QString::fromLatin1("PR\xdc" "F"));
    const QString ascii = env.Write(env.Root() + "/ascii.ini", "[S]\r\nA=x\r\n");
    for (const QString& f : {latin1, ascii})
        ASSERT_TRUE(ProfileFile::WriteString(f, "S", "B", QString::fromLatin1("\xdc")));
    EXPECT_EQ(TestEnvironment::Read(latin1), QByteArray("[S]\r\nA=PR\xdc" "F\r\nB=\xdc\r\n"));
    EXPECT_EQ(TestEnvironment::Read(ascii), QByteArray("[S]\r\nA=x\r\nB=\xdc\r\n"));
}

TEST_F(ProfileFileTest, AFileOverOneMebibyteIsNeitherReadNorWrittenOver)
{
    const QByteArray head = "[S]\r\nA=1\r\n";
    const QByteArray atBound = head + QByteArray(ProfileFile::MaxFileSize - head.size(), ';');
    const QString f = file(atBound);
    EXPECT_EQ(ProfileFile::Refusal(f), "");
    EXPECT_EQ(read(f, "S", "A"), "1");

    const QString big = file(atBound + ";");
    EXPECT_TRUE(ProfileFile::Refusal(big).contains("larger than 1048576 bytes")) << ProfileFile::Refusal(big).toStdString();
    EXPECT_EQ(read(big, "S", "A"), "DEF");
    QString error;
    EXPECT_FALSE(ProfileFile::WriteString(big, "S", "A", "2", &error));
    EXPECT_TRUE(error.contains("larger than")) << error.toStdString();
    EXPECT_EQ(TestEnvironment::Read(big).size(), ProfileFile::MaxFileSize + 1);
    EXPECT_EQ(ProfileFile::Refusal(env.Root() + "/missing.ini"), "");
}

TEST_F(ProfileFileTest, WriteIntoAMissingFolderFails)
{
    QString error;
    EXPECT_FALSE(ProfileFile::WriteString(env.Root() + "/no/such/folder/ZEM.INI", "S", "K", "v", &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
