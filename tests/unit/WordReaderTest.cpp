#include "scan/WordReader.h"

#include <gtest/gtest.h>

TEST(WordReaderTest, WordsInOrderWithAnEmptyWordBetweenTwoSpaces)
{
    WordReader r;
    const QString text = "A  BC D";
    EXPECT_EQ(r.NextWord(text), "A");
    EXPECT_EQ(r.NextWord(text), "");
    EXPECT_EQ(r.NextWord(text), "BC");
    EXPECT_EQ(r.NextWord(text), "D");
    EXPECT_EQ(r.WordCursor().position, text.size() + 1);
    // After the last word: empty, however often it is asked.
    EXPECT_EQ(r.NextWord(text), "");
    EXPECT_EQ(r.NextWord(text), "");
}

TEST(WordReaderTest, LeadingAndTrailingSpacesGiveEmptyWords)
{
    WordReader r;
    const QString text = " A ";
    EXPECT_EQ(r.NextWord(text), "");
    EXPECT_EQ(r.NextWord(text), "A");
    EXPECT_EQ(r.WordCursor().position, 3);
    EXPECT_EQ(r.NextWord(text), "");
}

TEST(WordReaderTest, ADifferentLongerTextStartsOver)
{
    WordReader r;
    EXPECT_EQ(r.NextWord("AB CD"), "AB");
    EXPECT_EQ(r.NextWord("XYZ UVW"), "XYZ");
    EXPECT_EQ(r.WordCursor().text, "XYZ UVW");
    EXPECT_EQ(r.NextWord("XYZ UVW"), "UVW");
}

TEST(WordReaderTest, ANewTextNoLongerThanThePositionGivesEmptyUntilReset)
{
    WordReader r;
    EXPECT_EQ(r.NextWord("ABCDEF GH"), "ABCDEF");
    const WordReader::Cursor before = r.WordCursor();
    EXPECT_EQ(r.NextWord("X Y"), "");      // position 7 is beyond "X Y": no start over
    EXPECT_EQ(r.WordCursor().text, before.text);
    EXPECT_EQ(r.WordCursor().position, before.position);
    EXPECT_EQ(r.NextWord(""), "");         // the empty text resets
    EXPECT_EQ(r.WordCursor().position, 0);
    EXPECT_EQ(r.WordCursor().text, "");
    EXPECT_EQ(r.NextWord("X Y"), "X");
    EXPECT_EQ(r.NextWord("X Y"), "Y");
}

TEST(WordReaderTest, PositionsBeyondSixteenBitsKeepWorking)
{
    WordReader r;
    const QString text = QString(40000, 'A') + " B C";
    EXPECT_EQ(r.NextWord(text).size(), 40000);
    EXPECT_EQ(r.NextWord(text), "B");
    EXPECT_EQ(r.NextWord(text), "C");
    EXPECT_EQ(r.NextWord(text), "");
}
