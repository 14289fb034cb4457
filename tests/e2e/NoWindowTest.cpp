// The real program as a service runs it: --no-window, no UNATTENDED given, and a Qt platform that
// does not exist, so that asking for the window system at all would end the process.
#include "e2e/TarvexProcess.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(NoWindowTest, TheStationRunsOnTheVirtualScannerWithTheOptionsOfZemIni)
{
    TarvexProcess tarvex;
    tarvex.FixedArguments = {};
    tarvex.Platform = "no-such-platform";
    const QString link = tarvex.DataFolder() + "/../scanner";
    tarvex.UsePortDevice(link);
    tarvex.Configure("GCodePath=C:\\PRODUCT\\\r\nAutoStart=1\r\nAutoClear=0\r\nFieldCode_DFN=N\r\n");

    QProcess scanner;
    scanner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    scanner.start(TARVEX_SCANNER, {"--link", link, "--wait", "3000", "--gap", "600", "--linger", "60000",
                                   "--send-text", "GOOD"});
    ASSERT_TRUE(scanner.waitForStarted());
    scanner.closeWriteChannel();
    ASSERT_TRUE(tarvex.Start({"--No-Window"}));

    EXPECT_TRUE(tarvex.WaitForAcknowledgement(scanner));

    // AutoStart=1 read from ZEM.INI starts the machine after the line.
    const QStringList journal = tarvex.Journal();
    const qsizetype added = journal.indexOf(QRegularExpression("^AddLine\t#161=GOOD\\.CNC;.*"));
    ASSERT_GE(added, 0) << journal.join('\n').toStdString();
    EXPECT_EQ(journal.indexOf("Start", added), added + 1) << journal.join('\n').toStdString();

    tarvex.Stop();
    EXPECT_TRUE(tarvex.Log().last().endsWith("shutdown")) << tarvex.Log().join('\n').toStdString();
}

} // namespace
