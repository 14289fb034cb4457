#pragma once

#include "station/StationState.h"

#include <QObject>
#include <QStringList>

// Every text put on the status line, in order: the state keeps only the last one.
struct StatusRecorder {
    explicit StatusRecorder(StationState& state)
    {
        QObject::connect(&state, &StationState::StatusChanged, &state, [this](const QString& text) { texts << text; });
    }
    QStringList texts;
};
