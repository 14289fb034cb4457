#pragma once

#include "platform/Pauser.h"

// The real pause: processes events, waits in a local event loop, processes events again.
class EventLoopPauser : public Pauser {
public:
    void Pause(double seconds) override;
    void ProcessEvents() override;
};
