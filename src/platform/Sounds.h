#pragma once

// Short sounds that tell the operator, who may be looking at the machine, that something needs
// a look: a scan refused, a line that will not run as meant, a fault of the machine. Each has
// its own sound. Playing never blocks and never fails: without a sound device it stays silent.
class Sounds {
public:
    enum class Cue { Refusal, Doubt, MachineFault };

    virtual ~Sounds() = default;
    virtual void Play(Cue cue) = 0;
};
