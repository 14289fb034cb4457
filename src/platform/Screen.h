#pragma once

class QWidget;

// Window placement on the screen.
class Screen {
public:
    // Top = half the screen height minus half the window height; left likewise with widths.
    static void CenterForm(QWidget& window);
    // The same, but a window larger than the screen keeps its top-left corner on the screen.
    static void CenterFormOnScreen(QWidget& window);
};
