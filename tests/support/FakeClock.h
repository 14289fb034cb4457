#pragma once

#include "platform/Clock.h"

// A clock that moves on by a step at every look, so that bounded waits end without waiting.
class FakeClock : public Clock {
public:
    explicit FakeClock(qint64 step = 1000) : step(step) {}
    qint64 NowMs() override { return now += step; }

    qint64 now = 0;
    qint64 step;
};
