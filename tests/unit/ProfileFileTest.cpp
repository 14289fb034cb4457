#include "platform/ProfileFile.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

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
    const QString f = file("[S]\nA=12abc\nB= 1\nC=abc\nD=\nE=-5\n");
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "A", 7), 12);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "B", 7), 1);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "C", 7), 0);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "D", 7), 0);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "E", 7), -5);
    EXPECT_EQ(ProfileFile::ReadInt(f, "S", "Missing", 7), 7);
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

TEST_F(ProfileFileTest, WriteIntoAMissingFolderFails)
{
    QString error;
    EXPECT_FALSE(ProfileFile::WriteString(env.Root() + "/no/such/folder/ZEM.INI", "S", "K", "v", &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
