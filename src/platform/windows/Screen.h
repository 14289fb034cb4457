#pragma once

class QRect;
class QWidget;

// Window placement on the screen.
class Screen {
public:
    // Top = half the screen height minus half the window height; left likewise with widths.
    static void CenterForm(QWidget& window);
    // The same, but a window larger than the screen keeps its top-left corner on the screen.
    static void CenterFormOnScreen(QWidget& window);

    // Makes the window no larger than the screen's available area less room for a window
    // manager's frame, so that its buttons stay on the screen at any scale (a 1280 x 1024
    // screen at 200 % leaves 640 x 512). The window's minimum size still holds.
    static void FitForm(QWidget& window);
    static void FitForm(QWidget& window, const QRect& area);

    // Shows the window above the others and gives it the keyboard.
    static void BringToFront(QWidget& window);
};
