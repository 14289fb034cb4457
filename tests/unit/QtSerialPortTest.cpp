#include "platform/QtSerialPort.h"
#include "platform/RuntimeError.h"
#include "support/EventWait.h"
#include "support/PtyLine.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool waitFor(const std::function<bool()>& condition)
{
    return EventWait::Until(condition, 3000);
}

class QtSerialPortTest : public testing::Test {
protected:
    QtSerialPortTest()
    {
        config = env.Write(env.ProgramFolder() + "/ZEM.INI",
                           "[GESTBCOD]\r\nCommPort=3\r\n[Ports]\r\nCOM3=" + line.device.toLocal8Bit() +
                               "\r\nCOM2=" + env.Root().toLocal8Bit() + "/no-such-device\r\n");
        port.SetConfigFile(config);
    }
    void open(int number)
    {
        port.SetCommPort(number);
        port.SetSettings("9600,N,8,1");
        port.SetInputLen(0);
        port.SetPortOpen(true);
    }

    TestEnvironment env;
    PtyLine line;
    QString config;
    QtSerialPort port;
};

TEST_F(QtSerialPortTest, PortsSectionNamesTheDeviceElseTtyS)
{
    EXPECT_EQ(port.DeviceForPort(3), line.device);
    EXPECT_EQ(port.DeviceForPort(4), "/dev/ttyS3");
}

TEST_F(QtSerialPortTest, ReadsDiscardsAndWritesOnAPseudoTerminal)
{
    ASSERT_FALSE(line.device.isEmpty());
    line.Send("stale");
    open(3);
    ASSERT_TRUE(port.PortOpen());

    line.Send("AB\xF1");
    ASSERT_TRUE(waitFor([&] { return port.InBufferCount() == 3; }));
    EXPECT_EQ(port.Input(), QString("AB") + QChar(241)); // what waited before the open is gone
    EXPECT_EQ(port.InBufferCount(), 0);

    line.Send("noise");
    ASSERT_TRUE(waitFor([&] { return port.InBufferCount() > 0; }));
    port.ClearInput();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(port.InBufferCount(), 0);
    EXPECT_TRUE(port.Input().isEmpty());

    port.Output(QString("ACK\r") + QChar(0xE9));
    EXPECT_EQ(line.Receive(5), QByteArray("ACK\r\xE9"));

    port.SetPortOpen(false);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_FALSE(port.Lost());
}

TEST_F(QtSerialPortTest, HangupIsALostDevice)
{
    open(3);
    line.Hangup();
    EXPECT_TRUE(waitFor([&] { return port.Lost(); }));
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(QtSerialPortTest, OpeningErrorsCarryNumberAndText)
{
    try {
        open(2);
        FAIL() << "opened a missing device";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), RuntimeError::PortUnavailable);
        EXPECT_TRUE(e.Description().contains("no-such-device"));
        EXPECT_TRUE(e.Description().contains("[Ports]"));
    }
    EXPECT_FALSE(port.PortOpen());

    for (const char* bad : {"", "9600", "9600,X,8,1", "fast,N,8,1", "9600,N,9,1", "9600,N,8,3"}) {
        try {
            port.SetSettings(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Number(), RuntimeError::InvalidPropertyValue);
        }
    }
    EXPECT_THROW(port.SetCommPort(0), RuntimeError);
}

TEST_F(QtSerialPortTest, RefusedPermissionNamesTheGroup)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const QString device = env.Write(env.Root() + "/locked", "");
    ::chmod(QFile::encodeName(device).constData(), 0);
    env.Write(config, "[Ports]\r\nCOM1=" + device.toLocal8Bit() + "\r\n");
    try {
        open(1);
        FAIL() << "opened a device without permission";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), RuntimeError::PermissionDenied);
        EXPECT_TRUE(e.Description().contains("Permission denied"));
        EXPECT_TRUE(e.Description().contains("belongs to group"));
    }
}

} // namespace
