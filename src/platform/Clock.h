#pragma once

#include <QtGlobal>

// Milliseconds on a clock that only goes forward, for bounded waits.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 NowMs() = 0;
};
