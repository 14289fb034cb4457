#include "app/SerialLink.h"
#include "config/Configuration.h"
#include "platform/RuntimeError.h"
#include "station/StationState.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

class SerialLinkTest : public testing::Test {
protected:
    SerialLinkTest()
    {
        env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\nSettings=9600,N,8,1\r\nCommPort=1\r\n");
        config.LoadSettings(state);
        link.AskForSettings = [this] { dialogs << boxes.Texts().size(); };
    }
    QString ini() const { return QString::fromLatin1(TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI")); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    StationState state;
    FakeSerialPort port;
    Configuration config{boxes};
    SerialLink link{config, port, state, boxes};
    QList<qsizetype> dialogs; // how many boxes had been shown when the dialog opened
};

TEST_F(SerialLinkTest, OpensWithTheConfiguredPortAndShowsIt)
{
    link.OpenSerialPort();
    EXPECT_TRUE(port.open);
    EXPECT_EQ(port.commPort, 1);
    EXPECT_EQ(port.settings, "9600,N,8,1");
    EXPECT_EQ(port.inputLen, 0);
    EXPECT_EQ(state.SerialSettingsText(), "COM1:9600,N,8,1");

    // Reopening closes first.
    config.SerialSettings = "19200,E,7,2";
    link.OpenSerialPort();
    EXPECT_EQ(port.closes, 1);
    EXPECT_EQ(port.opens, 2);
    EXPECT_EQ(state.SerialSettingsText(), "COM1:19200,E,7,2");
}

TEST_F(SerialLinkTest, FailureIsReportedThenTheDialogShown)
{
    port.openFails = RuntimeError::PortUnavailable;
    link.OpenSerialPort();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, "Unexpected error #8005 occured: Device not found: /dev/fake1");
    EXPECT_EQ(boxes.shown[0].icon, MessageBoxes::Icon::Critical);
    EXPECT_EQ(dialogs, QList<qsizetype>{1});
    EXPECT_FALSE(port.open);
    EXPECT_TRUE(state.SerialSettingsText().isEmpty());
}

TEST_F(SerialLinkTest, UnattendedFailureIsLoggedAndNoDialogWaits)
{
    link.Unattended = true;
    port.openFails = RuntimeError::PortUnavailable;
    link.OpenSerialPort();
    EXPECT_TRUE(dialogs.isEmpty());
    const QStringList log = env.LogLines();
    EXPECT_TRUE(log.contains("ERROR unexpected error 8005: Device not found: /dev/fake1"));
    EXPECT_TRUE(log.filter("the serial settings dialog is not shown").size() == 1);
}

TEST_F(SerialLinkTest, AScannerMissingAtStartUpIsOpenedWhenItAppears)
{
    link.Unattended = true;
    port.available = false;
    port.openFails = RuntimeError::PortUnavailable;
    link.OpenSerialPort();
    EXPECT_EQ(state.Status(), "Waiting for the scanner: /dev/fake1.");
    link.WatchDevice();
    EXPECT_FALSE(port.open);

    port.available = true;
    port.openFails = 0;
    link.WatchDevice();
    EXPECT_TRUE(port.open);
    EXPECT_EQ(state.Status(), "Ready.");
    EXPECT_EQ(state.SerialSettingsText(), "COM1:9600,N,8,1");
    EXPECT_EQ(env.LogLines().filter("scanner found: /dev/fake1 opened as COM1:9600,N,8,1").size(), 1);

    // Settings that do not parse are not retried behind the operator's back.
    port.SetPortOpen(false);
    config.SerialSettings = "garbage";
    port.settingsFail = true;
    link.OpenSerialPort();
    port.settingsFail = false;
    link.WatchDevice();
    EXPECT_FALSE(port.open);
}

TEST_F(SerialLinkTest, SaveWritesBothKeys)
{
    config.SerialSettings = "19200,E,8,1";
    config.CommPort = 3;
    link.SaveSerialSettings();
    EXPECT_EQ(ini(), "[GESTBCOD]\r\nSettings=19200,E,8,1\r\nCommPort=3\r\n");
}

TEST_F(SerialLinkTest, LostScannerIsReopenedWhenItComesBack)
{
    link.OpenSerialPort();
    port.Unplug();
    link.WatchDevice();
    EXPECT_EQ(state.Status(), "Scanner disconnected: /dev/fake1.");
    link.WatchDevice();
    EXPECT_FALSE(port.open);

    // Back, but busy for a moment: retried on every tick, said once.
    port.available = true;
    port.openFails = RuntimeError::PortUnavailable;
    link.WatchDevice();
    link.WatchDevice();
    port.openFails = 0;
    link.WatchDevice();
    EXPECT_TRUE(port.open);
    EXPECT_EQ(port.settings, "9600,N,8,1");
    EXPECT_EQ(state.Status(), "Ready.");
    EXPECT_TRUE(boxes.shown.isEmpty());

    const QStringList log = env.LogLines();
    EXPECT_EQ(log.filter("scanner disconnected: /dev/fake1").size(), 1);
    EXPECT_EQ(log.filter("is back but cannot be opened yet").size(), 1);
    EXPECT_EQ(log.filter("scanner reconnected: /dev/fake1").size(), 1);

    // A port closed on purpose is not watched.
    port.SetPortOpen(false);
    link.WatchDevice();
    EXPECT_FALSE(port.open);
}

} // namespace
