#include "platform/FieldParser.h"

#include <gtest/gtest.h>

TEST(FieldParserTest, FieldsAreCutAtAnyOfTheSeparators)
{
    FieldParser p;
    p.SetSeparators(" =\r");
    p.SetText("UN LX=600 LY=400\rLZ=20");
    EXPECT_EQ(p.FieldCount(), 7);
    EXPECT_EQ(p.Field(1), "UN");
    EXPECT_EQ(p.Field(3), "600");
    EXPECT_EQ(p.Field(5), "400");
    EXPECT_EQ(p.Field(6), "LZ");
    EXPECT_EQ(p.Field(7), "20");
    EXPECT_EQ(p.Field(8), "");
    EXPECT_EQ(p.Field(0), "");
    EXPECT_EQ(p.Field(-1), "");
}

TEST(FieldParserTest, AdjacentAndOuterSeparatorsGiveEmptyFields)
{
    FieldParser p;
    p.SetSeparators("()");
    p.SetText("(PANEL)");
    EXPECT_EQ(p.FieldCount(), 3);
    EXPECT_EQ(p.Field(1), "");
    EXPECT_EQ(p.Field(2), "PANEL");
    EXPECT_EQ(p.Field(3), "");

    p.SetSeparators("^");
    p.SetText("P1^^X100^");
    EXPECT_EQ(p.FieldCount(), 4);
    EXPECT_EQ(p.Field(2), "");
    EXPECT_EQ(p.Field(3), "X100");
    EXPECT_EQ(p.Field(4), "");
}

TEST(FieldParserTest, ChangingTheSeparatorsSplitsTheTextAgain)
{
    FieldParser p;
    p.SetText("G71 X600 Y400");
    EXPECT_EQ(p.FieldCount(), 1); // no separators yet
    EXPECT_EQ(p.Field(1), "G71 X600 Y400");
    p.SetSeparators("XYZT");
    EXPECT_EQ(p.Field(2), "600 ");
    EXPECT_EQ(p.Field(3), "400");
}

TEST(FieldParserTest, AnEmptyTextHasNoFields)
{
    FieldParser p;
    p.SetSeparators("^");
    p.SetText("");
    EXPECT_EQ(p.FieldCount(), 0);
    EXPECT_EQ(p.Field(1), "");
}
