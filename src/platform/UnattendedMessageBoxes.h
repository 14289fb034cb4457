#pragma once

#include "platform/MessageBoxes.h"

// For stations without an operator and for end-to-end tests: each box is only a log record,
// answered by its safe button.
class UnattendedMessageBoxes : public MessageBoxes {
protected:
    Answer Ask(const QString& text, Icon icon, Buttons buttons, const QString& caption) override;
};
