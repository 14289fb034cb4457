#pragma once

#include "platform/MessageBoxes.h"

// Message boxes as modal QMessageBox windows.
class WidgetMessageBoxes : public MessageBoxes {
protected:
    Answer Ask(const QString& text, Icon icon, Buttons buttons, const QString& caption) override;
};
