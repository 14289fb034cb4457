#pragma once

// Waits a while and lets pending window events run meanwhile, so the window stays live.
class Pauser {
public:
    virtual ~Pauser() = default;
    virtual void Pause(double seconds) = 0;
    // Lets pending events run once, without waiting.
    virtual void ProcessEvents() = 0;
};
