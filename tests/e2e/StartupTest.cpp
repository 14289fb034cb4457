#include "e2e/TarvexProcess.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(StartupTest, TheRealProgramStartsUnattendedAndLogsItsMessageBoxes)
{
    TarvexProcess tarvex;
    ASSERT_TRUE(tarvex.Start({"NOAPP"}));
    const QString log = tarvex.Log().join('\n');
    EXPECT_TRUE(log.contains("message box [Tarvex]: File ZEM.INI Not Found"));
    // The sample it names to start from is there, beside the program as built.
    const QString notFound = tarvex.Log().filter("File ZEM.INI Not Found").value(0);
    const QString sample = notFound.section("A commented sample to copy there: ", 1);
    EXPECT_TRUE(!sample.isEmpty() && QFileInfo::exists(sample)) << notFound.toStdString();
    EXPECT_TRUE(log.contains("NOAPP: running without the list manager"));
    tarvex.Stop();
    EXPECT_TRUE(tarvex.Log().last().endsWith("shutdown"));
}

TEST(StartupTest, AStopThatComesDuringStartUpStillRunsTheShutdown)
{
    TarvexProcess tarvex;
    // The first record, looked for without pause: start-up has only just begun.
    ASSERT_TRUE(tarvex.Start({"NOAPP"}, " starting: ", std::chrono::milliseconds(0)));
    tarvex.Stop();
    const QStringList log = tarvex.Log();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_TRUE(log.last().endsWith("shutdown")) << log.join('\n').toStdString();
    EXPECT_EQ(log.filter("signal 15: closing").size(), 1);
}

TEST(StartupTest, ASecondStartSaysSoAndBringsTheRunningWindowToTheFront)
{
    TarvexProcess tarvex;
    ASSERT_TRUE(tarvex.Start({"NOAPP"}));
    EXPECT_EQ(tarvex.RunAnother({"NOAPP"}), 0);
    EXPECT_TRUE(tarvex.WaitFor([&] { return !tarvex.Log().filter("brought to the front").isEmpty(); }));
    EXPECT_EQ(tarvex.Log().filter("message box [Tarvex]: the BarCode Program is already running!").size(), 1);
    EXPECT_TRUE(tarvex.Running());
}

} // namespace
