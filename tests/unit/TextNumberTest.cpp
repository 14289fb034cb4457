#include "config/TextNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(TextNumberTest, TheLongestLeadingNumberCounts)
{
    EXPECT_EQ(TextNumber::Value("12abc"), 12);
    EXPECT_EQ(TextNumber::Value(" 12"), 12);
    EXPECT_EQ(TextNumber::Value("-1.5e2x"), -150);
    EXPECT_EQ(TextNumber::Value("20%"), 20);
    EXPECT_EQ(TextNumber::Value(".5"), 0.5);
    EXPECT_EQ(TextNumber::Value("7."), 7);
    EXPECT_EQ(TextNumber::Value("3e"), 3);
    EXPECT_EQ(TextNumber::Value("1,5"), 1);
}

TEST(TextNumberTest, NoNumberIsZero)
{
    EXPECT_EQ(TextNumber::Value(""), 0);
    EXPECT_EQ(TextNumber::Value("abc"), 0);
    EXPECT_EQ(TextNumber::Value("-"), 0);
    EXPECT_EQ(TextNumber::Value("."), 0);
    EXPECT_EQ(TextNumber::Value("1e999"), 0);
    EXPECT_EQ(TextNumber::Single("1e300"), 0.0f);
}

TEST(TextNumberTest, NumbersAreWrittenBackPlainlyWithSevenDigits)
{
    EXPECT_EQ(TextNumber::Format(600.0f), "600");
    EXPECT_EQ(TextNumber::Format(23.622f), "23.622");
    EXPECT_EQ(TextNumber::Format(0.5f), "0.5");
    EXPECT_EQ(TextNumber::Format(-12.25f), "-12.25");
    EXPECT_EQ(TextNumber::Format(1234567.0f), "1234567");
    EXPECT_EQ(TextNumber::Format(1.0f / 3.0f), "0.3333333");
    EXPECT_EQ(TextNumber::Format(0.0f), "0");
}

} // namespace
