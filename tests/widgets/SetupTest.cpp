#include "StationWindow.h"
#include "app/windows/SetupMachinePage.h"
#include "app/windows/frmSetup.h"
#include "config/windows/SerialDeviceList.h"
#include "listmgr/EmbeddedListManager.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/PtyLine.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Runs act on the setup window once it is open (it is modal: whoever opened it waits in exec).
void whenSetupOpens(const std::function<void(frmSetup&)>& act)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* setup = qobject_cast<frmSetup*>(top);
            if (setup && setup->isVisible()) {
                poll->stop();
                poll->deleteLater();
                act(*setup);
                return;
            }
        }
    });
    poll->start();
}

template <typename T>
T* find(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class SetupTest : public testing::Test {
protected:
    std::unique_ptr<StationWindow> window(const QStringList& args, SerialPort* port)
    {
        return std::make_unique<StationWindow>(Station::Services{boxes, instances, pauser, exit, args, port});
    }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeProcessExit exit;
};

TEST_F(SetupTest, TheFirstStartIsSetUpInTheWindowAndEndsInAWorkingStation)
{
    PtyLine scanner;
    ASSERT_FALSE(scanner.device.isEmpty());
    const QString programs = env.Root() + "/cnc/programs";
    ASSERT_TRUE(QDir().mkpath(programs));

    bool filledIn = false;
    whenSetupOpens([&](frmSetup& setup) {
        find<SerialDeviceList>(setup, "lstScannerDevice")->SetDevice(scanner.device);
        find<QComboBox>(setup, "cboSuffix")->setCurrentText("CR");
        find<QPushButton>(setup, "cmdNext")->click();
        find<QLineEdit>(setup, "txtGCodePath")->setText(programs);
        find<QPushButton>(setup, "cmdNext")->click();
        EXPECT_TRUE(find<QRadioButton>(setup, "optEmbedded")->isChecked());
        find<QPushButton>(setup, "cmdFinish")->click();
        filledIn = true;
    });
    // Any other dialog (the serial settings, after a port that did not open) is a fault here: closed, and counted.
    int otherDialogs = 0;
    QTimer others;
    QObject::connect(&others, &QTimer::timeout, [&otherDialogs] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()); dialog && !qobject_cast<frmSetup*>(dialog)) {
            ++otherDialogs;
            dialog->reject();
        }
    });
    others.start(50);
    auto w = window({"tarvex"}, nullptr); // the real serial port
    ASSERT_TRUE(w->window.Form_Load());
    others.stop();
    EXPECT_EQ(otherDialogs, 0);
    ASSERT_TRUE(filledIn);

    // Written where the README says, and read as any ZEM.INI: no error box after the first one.
    const QString ini = QString::fromLatin1(TestEnvironment::Read(env.WindowsDirectory() + "/ZEM.INI"));
    EXPECT_TRUE(ini.contains("\r\nGCodePath=" + programs + "/\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("COM1=" + scanner.device)) << ini.toStdString();
    EXPECT_TRUE(ini.contains("ScanSuffix=CR")) << ini.toStdString();
    ASSERT_EQ(boxes.shown.size(), 1) << boxes.Texts().join(" | ").toStdString();
    EXPECT_TRUE(boxes.shown[0].text.startsWith("File ZEM.INI Not Found"));
    EXPECT_TRUE(w->station.Link().CurrentSettingsText().startsWith("COM1:9600,N,8,1"));

    // A scan from the scanner becomes a line of the work list, its program in the folder chosen.
    env.Write(programs + "/PROG1.CNC", "ZEM\r\nC=Front panel\r\nUN LX=600 LY=400 LZ=20\r\n");
    ASSERT_NO_FATAL_FAILURE(scanner.Send("%12PROG1 N X %"));
    ASSERT_TRUE(QTest::qWaitFor([] { return TestEnvironment::Read(EmbeddedListManager::JournalPath()).contains("ClearList"); },
                                10000));
    ASSERT_NO_FATAL_FAILURE(scanner.Send("%22 600 400 %"));
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return TestEnvironment::Read(EmbeddedListManager::JournalPath()).contains("AddLine\t#161=PROG1.CNC;"); }, 10000))
        << TestEnvironment::Read(EmbeddedListManager::JournalPath()).toStdString();
    w->window.close();
}

TEST_F(SetupTest, OptionsFoldersWritesOnlyTheChangedKeyAndKeepsEveryOtherByte)
{
    const QByteArray original = "; Station 4, hall B\r\n"
                                "[GESTBCOD]\r\n"
                                "; the programs, as every station names them\r\n"
                                "GCodePath = C:\\KARN\\PRODUCT\\\r\n"
                                "ListPath=C:\\KARN\\PRODUCT\\lsx\\\r\n"
                                "\r\n"
                                "CommPort=1\r\n"
                                "[Drives]\r\n"
                                "C=" + (env.Root() + "/c").toLatin1() + "\r\n";
    const QString file = env.Write(env.ProgramFolder() + "/ZEM.INI", original);
    FakeSerialPort port;
    auto w = window({"tarvex", "NOAPP"}, &port);
    ASSERT_TRUE(w->window.Form_Load());
    QAction* folders = find<QAction>(w->window, "mnuFolders");
    ASSERT_NE(folders, nullptr);

    // Saved as shown: nothing changes, not even a path of the Windows form shown as a Linux one.
    whenSetupOpens([](frmSetup& setup) {
        EXPECT_EQ(find<QLineEdit>(setup, "txtGCodePath")->text().section('/', -3), "c/KARN/PRODUCT");
        find<QPushButton>(setup, "cmdFinish")->click();
    });
    folders->trigger();
    EXPECT_EQ(TestEnvironment::Read(file), original);

    // One folder changed: one line added at the end of its section, the rest byte for byte; it holds at once.
    whenSetupOpens([](frmSetup& setup) {
        find<QLineEdit>(setup, "txtCSVOutPath")->setText("/srv/out/all.csv");
        find<QPushButton>(setup, "cmdFinish")->click();
    });
    folders->trigger();
    QByteArray expected = original;
    expected.insert(expected.indexOf("[Drives]"), "CSVOutPath=/srv/out/all.csv\r\n");
    EXPECT_EQ(TestEnvironment::Read(file), expected);
    EXPECT_EQ(w->station.Config().CSVOutPath, "/srv/out/all.csv");

    // A path that would not read back as typed is refused in the window, and nothing is written.
    whenSetupOpens([](frmSetup& setup) {
        find<QLineEdit>(setup, "txtListPath")->setText("/srv/lists\\old");
        find<QPushButton>(setup, "cmdFinish")->click();
        EXPECT_TRUE(setup.isVisible());
        EXPECT_TRUE(find<QLabel>(setup, "lblMessage")->text().contains("without \"\\\"")) << find<QLabel>(setup, "lblMessage")->text().toStdString();
        setup.reject();
    });
    folders->trigger();
    EXPECT_EQ(TestEnvironment::Read(file), expected);
    w->window.close();
}

TEST_F(SetupTest, TheConnectionTestSaysRefusedForAClosedPortWhileTheWindowStaysLive)
{
    env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n[ListManager]\r\nServer=LinuxCNC\r\n");
    quint16 closed = 0;
    {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        closed = server.serverPort();
    }
    FakeSerialPort port;
    auto w = window({"tarvex", "NOAPP"}, &port);
    ASSERT_TRUE(w->window.Form_Load());
    QString found;
    whenSetupOpens([&](frmSetup& setup) {
        EXPECT_TRUE(find<QRadioButton>(setup, "optLinuxCnc")->isChecked());
        find<QLineEdit>(setup, "txtPort")->setText(QString::number(closed));
        find<QPushButton>(setup, "cmdTestConnection")->click();
        auto* result = find<QLabel>(setup, "lblTestResult");
        // The window answers meanwhile: the wait below runs its events.
        EXPECT_TRUE(QTest::qWaitFor([result] { return !result->text().startsWith("Connecting"); }, 15000));
        found = result->text();
        setup.reject();
    });
    find<QAction>(w->window, "mnuMachineControl")->trigger();
    EXPECT_TRUE(found.startsWith("Refused: nothing listens at 127.0.0.1:" + QString::number(closed))) << found.toStdString();
    w->window.close();
}

} // namespace
