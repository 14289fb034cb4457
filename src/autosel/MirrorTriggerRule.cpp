#include "autosel/MirrorTriggerRule.h"

int MirrorTriggerRule::MaxPosition(int displayWidth) const
{
    return displayWidth - static_cast<int>(Text.size());
}

void MirrorTriggerRule::ClampPosition(int maximum)
{
    if (Position > maximum)
        Position = static_cast<qint16>(qBound(-32768, maximum, 32767));
    if (Position < 1)
        Position = 1;
}
