#include "station/AlertSounds.h"

#include "platform/Sounds.h"
#include "station/StationState.h"

AlertSounds::AlertSounds(const ScanHistory& history, const StationState& state, Sounds& sounds, QObject* parent)
    : QObject(parent), state_(state), sounds_(sounds)
{
    connect(&history, &ScanHistory::Alerted, this, &AlertSounds::alerted);
}

void AlertSounds::alerted(ScanHistory::Alert alert)
{
    if (!state_.SoundOn())
        return;
    switch (alert) {
    case ScanHistory::Alert::Refusal:
        sounds_.Play(Sounds::Cue::Refusal);
        break;
    case ScanHistory::Alert::Doubt:
        sounds_.Play(Sounds::Cue::Doubt);
        break;
    case ScanHistory::Alert::MachineFault:
        sounds_.Play(Sounds::Cue::MachineFault);
        break;
    }
}
