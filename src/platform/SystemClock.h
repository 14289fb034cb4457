#pragma once

#include "platform/Clock.h"

// The machine's monotonic clock.
class SystemClock : public Clock {
public:
    qint64 NowMs() override;
};
