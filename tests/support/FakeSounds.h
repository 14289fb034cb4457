#pragma once

#include "platform/Sounds.h"

#include <QList>

// Keeps the sounds asked for, in order.
class FakeSounds : public Sounds {
public:
    void Play(Cue cue) override { played << cue; }

    QList<Cue> played;
};
