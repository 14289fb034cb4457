#include "program/ProgramHeaderReader.h"
#include "support/FakeMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

class ProgramHeaderReaderTest : public testing::Test {
protected:
    // Writes the program file under drive C: and returns its Windows path text.
    QString program(const QString& name, const QByteArray& content)
    {
        env.Write(env.DataFolder() + "/drive_c/KARN/PRODUCT/" + name, content);
        return "C:\\KARN\\PRODUCT\\" + name;
    }
    void read(const QString& path) { reader.ReadProgramHeader(path, x, y, z, comment); }
    void expectSizes(float ex, float ey, float ez)
    {
        EXPECT_FLOAT_EQ(x, ex);
        EXPECT_FLOAT_EQ(y, ey);
        EXPECT_FLOAT_EQ(z, ez);
    }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    ProgramHeaderReader reader{boxes};
    float x = 1, y = 2, z = 3;
    QString comment = "previous";
};

TEST_F(ProgramHeaderReaderTest, IsoHeaderAfterBlankLines)
{
    read(program("P1.CNC", "\r\n   \r\nG71 X600 Y400 Z20\r\n\r\n  (PANEL ONE) more ) text\r\nG0 X0 Y0\r\n"));
    expectSizes(600, 400, 20);
    EXPECT_EQ(comment, "PANEL ONE");
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ProgramHeaderReaderTest, IsoHeaderInLowerCaseWithDecimalsAndBareCarriageReturns)
{
    read(program("P2.CNC", "  g70x12.5 y8t1 z1.25\r(inch part)\rG0\r"));
    // T is a separator too: field 4 is what lies between T and Z.
    expectSizes(12.5f, 8, 1);
    EXPECT_EQ(comment, "inch part");
}

TEST_F(ProgramHeaderReaderTest, IsoStopsAtTheFirstBadSizeKeepingThoseBefore)
{
    read(program("P3.CNC", "G71 X600 YABC Z20\n(not reached)\n"));
    expectSizes(600, 2, 3);
    EXPECT_EQ(comment, "");

    x = 1;
    read(program("P4.CNC", "G71 X600 Y400\n(no Z)\n"));
    expectSizes(600, 400, 3);
    EXPECT_EQ(comment, "");
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_TRUE(env.LogLines().last().contains("size field 4"));
}

TEST_F(ProgramHeaderReaderTest, IsoWithoutParenthesesHasAnEmptyComment)
{
    read(program("P5.CNC", "G71 X1 Y2 Z3\nplain text\n"));
    expectSizes(1, 2, 3);
    EXPECT_EQ(comment, "");
}

TEST_F(ProgramHeaderReaderTest, MakersFormatTakesSizesFromTheUnLineAndTheCommentUntrimmed)
{
    // The second line holds "UN" too, but it is the comment; the sizes come from a later line.
    read(program("M1.CNC", "\n zem 2.1\n\nC=  Rerun panel 7  \nH DX=1\n\nun LX=600.5 LY=400abc LZ=20\nLAST\n"));
    expectSizes(600.5f, 400, 20);
    EXPECT_EQ(comment, "  Rerun panel 7  ");
}

TEST_F(ProgramHeaderReaderTest, MakersFormatFieldsThatAreNoNumberGiveZero)
{
    read(program("M2.CNC", "ZEM\nC\nUN LX=abc LY=7\n"));
    expectSizes(0, 7, 0);
    EXPECT_EQ(comment, ""); // the second line has no third character
}

TEST_F(ProgramHeaderReaderTest, MakersFormatWithoutUnLineChangesNothing)
{
    read(program("M3.CNC", "ZEM\nC=comment\nH DX=1\n\n"));
    expectSizes(1, 2, 3);
    EXPECT_EQ(comment, "");
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ProgramHeaderReaderTest, AnotherKindOfFileIsReported)
{
    const QString path = program("P9.CNC", "G90 X600 Y400 Z20\n(comment)\n");
    read("  " + path + " ");
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, path + " Not a proper program file");
    EXPECT_EQ(boxes.shown[0].icon, MessageBoxes::Icon::None);
    EXPECT_EQ(boxes.shown[0].buttons, MessageBoxes::Buttons::Ok);
    EXPECT_EQ(boxes.shown[0].caption, MessageBoxes::ApplicationTitle); // the default title
    expectSizes(1, 2, 3);
    EXPECT_EQ(comment, "");
}

TEST_F(ProgramHeaderReaderTest, MissingOrShortFilesEndSilentlyButAreLogged)
{
    read("C:\\KARN\\PRODUCT\\NONE.CNC");
    expectSizes(1, 2, 3);
    EXPECT_EQ(comment, "");
    EXPECT_TRUE(env.LogLines().last().contains("NONE.CNC"));

    // Fewer than two non-blank lines: not even the kind of file is judged.
    read(program("S1.CNC", "G90 X1\n   \n"));
    read(program("S2.CNC", ""));
    expectSizes(1, 2, 3);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST(ProgramHeaderStrictNumberTest, OnlyWholeDecimalNumbersConvert)
{
    float v = 0;
    EXPECT_TRUE(ProgramHeaderReader::StrictSingle(" 600 ", v));
    EXPECT_FLOAT_EQ(v, 600);
    EXPECT_TRUE(ProgramHeaderReader::StrictSingle("-2.5", v));
    EXPECT_FLOAT_EQ(v, -2.5f);
    EXPECT_TRUE(ProgramHeaderReader::StrictSingle("1e3", v));
    EXPECT_FLOAT_EQ(v, 1000);
    EXPECT_TRUE(ProgramHeaderReader::StrictSingle(".5", v));
    EXPECT_FLOAT_EQ(v, 0.5f);
    v = 9;
    for (const char* bad : {"", "   ", "6 00", "1,5", "0x10", "12abc", "1e39", "inf", "nan", "+", "."})
        EXPECT_FALSE(ProgramHeaderReader::StrictSingle(bad, v)) << bad;
    EXPECT_FLOAT_EQ(v, 9);
}

} // namespace
