#include "platform/UnattendedMessageBoxes.h"

MessageBoxes::Answer UnattendedMessageBoxes::Ask(const QString&, Icon, Buttons buttons, const QString&)
{
    return SafeAnswer(buttons);
}
