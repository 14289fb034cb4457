#pragma once

#include "station/ScanHistory.h"

#include <QObject>

class Sounds;
class StationState;

// The one place that decides what the operator hears: a refused scan, a doubtful line and a
// machine fault each play their own sound, whether the scan came from the scanner, the label
// entry or a button, unless the station's sound setting is off.
class AlertSounds : public QObject {
    Q_OBJECT
public:
    AlertSounds(const ScanHistory& history, const StationState& state, Sounds& sounds, QObject* parent = nullptr);

private:
    void alerted(ScanHistory::Alert alert);

    const StationState& state_;
    Sounds& sounds_;
};
