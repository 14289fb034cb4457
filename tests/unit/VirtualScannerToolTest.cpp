#include "platform/Paths.h"
#include "platform/QtSerialPort.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()>& condition, int ms = 4000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// The virtual scanner as Tarvex sees it: through [Ports] and the real port layer.
TEST(VirtualScannerToolTest, SendsEachLineAsOneScanAndPrintsTheReplies)
{
    TestEnvironment env;
    const QString link = env.Root() + "/scanner";
    QProcess tool;
    tool.start(TARVEX_SCANNER, {"--link", link, "--gap", "300", "--linger", "300"});
    ASSERT_TRUE(tool.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return tool.canReadLine(); }));
    const QString device = QString::fromLocal8Bit(tool.readLine()).trimmed();
    EXPECT_TRUE(device.startsWith("/dev/"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);

    Paths::SetConfigFile(env.Write(env.Root() + "/ZEM.INI", "[Ports]\nCOM1=" + link.toLocal8Bit() + "\n"));
    QtSerialPort port;
    port.SetCommPort(1);
    port.SetSettings("9600,N,8,1");
    port.SetPortOpen(true);

    tool.write("A\\\\B\\x41\\r\\xf1\\q\r\nSECOND\n");
    QString received;
    ASSERT_TRUE(waitFor([&] {
        received += port.Input();
        return received.size() >= 14;
    }));
    EXPECT_EQ(received, QString("A\\BA\r") + QChar(241) + "\\qSECOND");

    port.Output("ACK\r");
    ASSERT_TRUE(waitFor([&] { return tool.canReadLine(); }));
    EXPECT_EQ(tool.readLine(), QByteArray("ACK\\r\n"));

    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(5000));
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
    EXPECT_TRUE(waitFor([&] { return port.Lost(); }));
}

} // namespace
