#include "platform/windows/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void Screen::CenterForm(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + area.width() / 2 - size.width() / 2, area.y() + area.height() / 2 - size.height() / 2);
}

void Screen::CenterFormOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + qMax(0, (area.width() - size.width()) / 2), area.y() + qMax(0, (area.height() - size.height()) / 2));
}

void Screen::FitForm(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen)
        FitForm(window, screen->availableGeometry());
}

void Screen::FitForm(QWidget& window, const QRect& area)
{
    // A title bar above and a border around; centred, the title bar takes the room above.
    const QSize frame(16, 64);
    window.resize(window.size().boundedTo(area.size() - frame));
}

void Screen::BringToFront(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}
