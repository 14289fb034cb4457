#include "e2e/TarvexProcess.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupTest, TheRealProgramStartsUnattendedAndLogsItsMessageBoxes)
{
    TarvexProcess tarvex;
    ASSERT_TRUE(tarvex.Start({"NOAPP"}));
    const QString log = tarvex.Log().join('\n');
    EXPECT_TRUE(log.contains("message box [Tarvex]: File ZEM.INI Not Found"));
    EXPECT_TRUE(log.contains("NOAPP: running without the list manager"));
    tarvex.Stop();
    EXPECT_TRUE(tarvex.Log().last().endsWith("shutdown"));
}

} // namespace
