#pragma once

#include "app/Station.h"
#include "app/windows/frmMain.h"

// A station with its main window, as main() builds them: the station first, so that it
// outlives the window.
struct StationWindow {
    explicit StationWindow(Station::Services services) : station(std::move(services)), window(station) {}

    Station station;
    frmMain window;
};
