#pragma once

#include <QStringList>

#include <functional>

class InstanceCounter;
class MessageBoxes;
class Pauser;
class ScanConsumers;
class SerialPort;

// What the main window needs from outside: the platform services and the process's arguments.
// main() passes the real ones; tests pass fakes.
struct MainServices {
    MessageBoxes& boxes;
    InstanceCounter& instances;
    Pauser& pauser;
    QStringList arguments;                 // as the process got them, program name first
    std::function<void(int code)> endProcess; // ends the process at once
    SerialPort* serial = nullptr;          // the scanner's port; none: the window opens the real one
    ScanConsumers* consumers = nullptr;    // where scans go; none: the window's own
};
