#include "config/windows/SerialDeviceList.h"
#include "platform/SerialDevices.h"
#include "support/EventWait.h"
#include "support/PtyLine.h"
#include "support/TestEnvironment.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList items(const QComboBox& box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

TEST(SerialDeviceListTest, FollowsAScannerPluggedInAndPulledOutAndTakesATypedPath)
{
    TestEnvironment env;
    PtyLine pty;
    ASSERT_FALSE(pty.device.isEmpty());
    const QString byId = env.Root() + "/by-id";
    ASSERT_TRUE(QDir().mkpath(byId));
    // As long as udev's names: they must be shown whole.
    const QString link = byId + "/usb-Honeywell_Imaging___Mobility_1900_Area-Imaging_Scanner_18113B4D51-if00";

    SerialDeviceList list(nullptr, [byId] { return SerialDevices({byId}, false).Present(); });
    auto* box = list.findChild<QComboBox*>("cboDevice");
    ASSERT_NE(box, nullptr);
    // Present under a name the list does not use: not marked absent.
    list.SetDevice(pty.device);
    list.show();
    EXPECT_EQ(items(*box), QStringList{pty.device});
    EXPECT_EQ(list.Device(), pty.device);

    // Plugged in while the list is open: it appears, whole, and can be chosen.
    ASSERT_TRUE(QFile::link(pty.device, link));
    EXPECT_TRUE(EventWait::Until([&] { return items(*box).contains(link); })) << items(*box).join(", ").toStdString();
    QSignalSpy changes(&list, &SerialDeviceList::DeviceChanged);
    box->setCurrentIndex(box->findData(link));
    EXPECT_EQ(list.Device(), link);
    EXPECT_EQ(box->toolTip(), link);
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last().at(0).toString(), link);
    box->showPopup();
    EXPECT_GE(box->view()->width(), box->fontMetrics().horizontalAdvance(link));
    box->hidePopup();

    // Pulled out: the choice stays, marked absent.
    ASSERT_TRUE(QFile::remove(link));
    EXPECT_TRUE(EventWait::Until([&] { return items(*box).contains(link + " (not present)"); }))
        << items(*box).join(", ").toStdString();
    EXPECT_EQ(list.Device(), link);

    // A typed path is taken as it is and survives the refreshes.
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), "/dev/ttyAMA0 ");
    EXPECT_EQ(list.Device(), "/dev/ttyAMA0");
    ASSERT_TRUE(QFile::link(pty.device, link));
    EXPECT_TRUE(EventWait::Until([&] { return items(*box).contains(link); }));
    EXPECT_EQ(list.Device(), "/dev/ttyAMA0");
}

} // namespace
