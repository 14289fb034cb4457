#include "config/windows/frmSettings.h"
#include "scan/ScanConsumers.h"
#include "StationWindow.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class frmSettingsTest : public testing::Test {
protected:
    void start(const QByteArray& ini, QStringList arguments = {"tarvex", "NOAPP"})
    {
        env.Write(iniPath(), ini);
        opened = std::make_unique<StationWindow>(Station::Services{boxes, instances, pauser, exit, arguments, &port});
        opened->window.Form_Load();
    }
    Configuration& config() { return opened->station.Config(); }
    QString iniPath() const { return env.ProgramFolder() + "/ZEM.INI"; }
    static QRadioButton* option(QWidget& dialog, const char* name)
    {
        auto* button = dialog.findChild<QRadioButton*>(QLatin1String(name));
        EXPECT_NE(button, nullptr) << name;
        return button;
    }
    // On the indicator of an option: a wide option takes clicks on its circle and caption only.
    static void click(QWidget& dialog, const char* name)
    {
        auto* button = dialog.findChild<QAbstractButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        const bool option = qobject_cast<QRadioButton*>(button) != nullptr;
        QTest::mouseClick(button, Qt::LeftButton, {}, option ? QPoint(8, button->height() / 2) : button->rect().center());
    }
    QString currentSettings() const { return opened->window.findChild<QLabel*>("lblCurSettings")->text(); }

    // Acts on the next modal dialog once it is up, so that exec() returns.
    void whenDialogOpens(std::function<void(frmSettings&)> act)
    {
        QTimer::singleShot(0, [this, act] {
            auto* dialog = qobject_cast<frmSettings*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            boxesBeforeDialog = boxes.shown.size();
            act(*dialog);
        });
    }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeSerialPort port;
    FakeProcessExit exit;
    std::unique_ptr<StationWindow> opened;
    qsizetype boxesBeforeDialog = -1;
};

TEST_F(frmSettingsTest, ShowsTheCurrentSettings)
{
    start("[GESTBCOD]\r\nCommPort=2\r\n");
    frmSettings dialog(config().CommPort, config().SerialSettings); // as the main window opens it
    EXPECT_EQ(dialog.windowTitle(), "Settings");
    for (const char* name : {"optCom2", "optBaud9600", "optParityNone", "optDataBits8", "optStopBits1"})
        EXPECT_TRUE(option(dialog, name)->isChecked()) << name;
    for (const char* name : {"optCom1", "OptCom4", "optBaud19200", "optParityEven", "optDataBits7", "optStopBits2"})
        EXPECT_FALSE(option(dialog, name)->isChecked()) << name;
}

TEST_F(frmSettingsTest, OkSavesReopensAndShowsTheNewSettings)
{
    start("[GESTBCOD]\r\nCommPort=1\r\n");
    ASSERT_EQ(currentSettings(), "COM1:9600,N,8,1");
    int result = -1;
    whenDialogOpens([&](frmSettings& dialog) {
        click(dialog, "optBaud19200");
        click(dialog, "optParityEven");
        click(dialog, "cmdOK");
        result = dialog.result();
    });
    opened->window.findChild<QAction*>("mnuSetttings")->trigger();

    EXPECT_EQ(config().SerialSettings, "19200,E,8,1");
    EXPECT_EQ(TestEnvironment::Read(iniPath()), QByteArray("[GESTBCOD]\r\nCommPort=1\r\nSettings=19200,E,8,1\r\n"));
    EXPECT_EQ(port.opens, 2);
    EXPECT_EQ(port.settings, "19200,E,8,1");
    EXPECT_EQ(currentSettings(), "COM1:19200,E,8,1");
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST_F(frmSettingsTest, CancelChangesNothing)
{
    const QByteArray ini = "[GESTBCOD]\r\nSettings=9600,N,8,1\r\nCommPort=1\r\n";
    start(ini);
    frmSettings dialog(config().CommPort, config().SerialSettings); // as the main window opens it
    click(dialog, "optCom3");
    click(dialog, "optBaud300");
    click(dialog, "optStopBits2");
    click(dialog, "cmdCancel");
    EXPECT_EQ(config().SerialSettings, "9600,N,8,1");
    EXPECT_EQ(config().CommPort, 1);
    EXPECT_EQ(TestEnvironment::Read(iniPath()), ini);
    EXPECT_EQ(port.opens, 1);
    EXPECT_TRUE(port.open);
}

TEST_F(frmSettingsTest, UnusualSettingsOpenTheDialogAndOkStoresAWellFormedString)
{
    start("[GESTBCOD]\r\nSettings=14400,M,5,2\r\nCommPort=7\r\n");
    {
        frmSettings dialog(config().CommPort, config().SerialSettings); // as the main window opens it
        for (const char* name : {"optCom1", "optCom2", "optCom3", "OptCom4"})
            EXPECT_FALSE(option(dialog, name)->isChecked()) << name;
        // Values without an option are written back as they were.
        EXPECT_EQ(dialog.WorkingSettings(), "14400,M,5,2");
        EXPECT_EQ(dialog.WorkingPort(), 7);
    }
    const char* malformed[][2] = {{"", "9600,N,8,1"}, {"abc", "9600,N,8,1"}, {"4800", "4800,N,8,1"},
                                  {"1200,E", "1200,E,8,1"}, {"2400,Odd,Seven,x", "2400,O,8,1"}, {"300,,,,", "300,N,8,1"}};
    for (const auto& [settings, stored] : malformed) {
        frmSettings dialog(config().CommPort, settings);
        EXPECT_EQ(dialog.WorkingSettings(), stored) << settings;
    }
}

TEST_F(frmSettingsTest, PortThatCannotBeOpenedGivesTheReportThenTheDialog)
{
    port.openFails = 8005;
    whenDialogOpens([this](frmSettings& dialog) {
        port.openFails = 0;
        click(dialog, "optCom2");
        click(dialog, "cmdOK");
    });
    start("[GESTBCOD]\r\nCommPort=1\r\n");
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("Unexpected error #8005 occured: "));
    EXPECT_EQ(boxesBeforeDialog, 1);
    EXPECT_TRUE(port.open);
    EXPECT_EQ(port.commPort, 2);
    EXPECT_EQ(currentSettings(), "COM2:9600,N,8,1");
}

TEST_F(frmSettingsTest, APortLeftClosedSaysSoAndAChosenDeviceIsSavedAsItsMapping)
{
    // Cancel after a failed open: the port indicator tells the truth, with the reason.
    port.openFails = 8005;
    whenDialogOpens([this](frmSettings& dialog) { click(dialog, "cmdCancel"); });
    start("[GESTBCOD]\r\nCommPort=1\r\n");
    auto* indicator = opened->window.findChild<QLabel*>("lblCurSettings");
    EXPECT_EQ(indicator->text(), "Waiting for the scanner");
    EXPECT_TRUE(indicator->toolTip().contains("Device not found: /dev/fake1")) << indicator->toolTip().toStdString();

    // The devices present are offered for the port; the one chosen is saved as its mapping.
    port.openFails = 0;
    QStringList offered;
    whenDialogOpens([&](frmSettings& dialog) {
        auto* devices = dialog.findChild<QComboBox*>("cboDevice");
        for (int i = 0; i < devices->count(); ++i)
            offered << devices->itemText(i);
        devices->setCurrentIndex(devices->findData("/dev/ttyUSB0"));
        click(dialog, "cmdOK");
    });
    opened->window.findChild<QAction*>("mnuSetttings")->trigger();
    EXPECT_EQ(offered, QStringList({"/dev/fake1 (not present)", "/dev/serial/by-id/usb-Fake_Scanner-if00", "/dev/ttyUSB0"}));
    EXPECT_TRUE(TestEnvironment::Read(iniPath()).contains("[Ports]\r\nCOM1=/dev/ttyUSB0\r\n"));
    EXPECT_TRUE(port.open);
    EXPECT_EQ(indicator->text(), "COM1:9600,N,8,1");
    EXPECT_EQ(indicator->toolTip(), "Open on /dev/fake1");
}

TEST_F(frmSettingsTest, AScannerMissingAtStartUpIsWaitedForWithoutABoxAndOpenedWhenItComes)
{
    port.available = false;
    port.openFails = 8005;
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogSeen = true;
            dialog->reject();
        }
    });
    start("[GESTBCOD]\r\nCommPort=1\r\n");
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialogSeen);
    EXPECT_TRUE(boxes.shown.isEmpty());
    auto* indicator = opened->window.findChild<QLabel*>("lblCurSettings");
    EXPECT_EQ(indicator->text(), "Waiting for the scanner");

    port.available = true;
    port.openFails = 0;
    opened->station.Timer1_Timer();
    EXPECT_TRUE(port.open);
    EXPECT_EQ(indicator->text(), "COM1:9600,N,8,1");
}

TEST_F(frmSettingsTest, OkWithoutAPortIsRefusedWithWhatToChoose)
{
    // As after a start without ZEM.INI: port 0, empty settings.
    frmSettings dialog(0, QString(), {}, [] { return QStringList{"/dev/ttyS0"}; });
    dialog.show();
    click(dialog, "cmdOK");
    auto* problem = dialog.findChild<QLabel*>("lblProblem");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(problem->isVisible());
    EXPECT_TRUE(problem->text().contains("Com1 to Com4")) << problem->text().toStdString();

    click(dialog, "optCom2");
    EXPECT_FALSE(problem->isVisible());
    click(dialog, "cmdOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.WorkingPort(), 2);
}

TEST_F(frmSettingsTest, UnattendedStartUpDoesNotWaitForTheDialog)
{
    port.openFails = 8005;
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogSeen = true;
            dialog->reject();
        }
    });
    start("[GESTBCOD]\r\nCommPort=1\r\n", {"tarvex", "noapp", "unattended"});
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialogSeen);
    EXPECT_FALSE(port.open);
    const QStringList log = env.LogLines();
    EXPECT_EQ(log.filter("Unexpected error #8005 occured: ").size(), 1);
    EXPECT_EQ(log.filter("the serial settings dialog is not shown").size(), 1);
    EXPECT_EQ(log.filter("start-up done").size(), 1);
}

} // namespace
