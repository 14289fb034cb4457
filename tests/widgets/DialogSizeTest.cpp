#include "app/windows/frmAbout.h"
#include "app/windows/frmSetup.h"
#include "autosel/AutoSelectRules.h"
#include "autosel/windows/MacFlds.h"
#include "config/Configuration.h"
#include "config/windows/frmSettings.h"
#include "listmgr/windows/ExInsForm.h"
#include "platform/windows/Screen.h"
#include "support/FakeMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A 1280 x 1024 screen at 200 % leaves the windows 640 x 512, less room for a window manager's
// frame. Sizes in logical pixels are the same at every scale, so the check runs at the test's own.
TEST(DialogSizeTest, EveryDialogWithItsButtonsFitsA1280By1024ScreenAt200Percent)
{
    TestEnvironment env;
    FakeMessageBoxes boxes;
    Configuration config{boxes};
    config.IniFilePath = env.Write(env.Root() + "/ZEM.INI", "[GESTBCOD]\r\nAutoSelSetting=2\r\n");
    AutoSelectRules rules(config);
    const QString last;
    MacFlds setup(rules, {}, last, last);
    Screen::FitForm(setup, QRect(0, 0, 640, 512));
    ExInsForm exclusion(QStringLiteral("10100000"));
    frmAbout about;
    frmSetup firstStart(frmSetup::Pages::FirstStart, StationSetup(), [] { return QStringList(); });
    Screen::FitForm(firstStart, QRect(0, 0, 640, 512));
    // With a device name by id as long as udev makes them, shown whole.
    frmSettings serial(1, "9600,N,8,1", {{1, "/dev/ttyUSB0"}}, [] {
        return QStringList{"/dev/serial/by-id/usb-Honeywell_Imaging___Mobility_1900_Area-Imaging_Scanner_18113B4D51-if00"};
    });

    const QRect room(0, 0, 640 - 16, 512 - 64);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&setup, &exclusion, &about, &serial, &firstStart}) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        const std::string name = dialog->objectName().toStdString();
        EXPECT_TRUE(room.contains(dialog->rect())) << name;
        auto* tabs = dialog->findChild<QTabWidget*>();
        for (int tab = 0; tab < (tabs ? tabs->count() : 1); ++tab) {
            if (tabs)
                tabs->setCurrentIndex(tab);
            for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (button->isHidden())
                    continue;
                const QRect at(button->mapTo(dialog, QPoint(0, 0)), button->size());
                EXPECT_TRUE(dialog->rect().contains(at)) << name << " " << button->text().toStdString();
            }
        }
        dialog->hide();
    }
}

} // namespace
