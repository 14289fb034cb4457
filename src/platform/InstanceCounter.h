#pragma once

#include <QString>

// What start-up asks of the platform library: other running instances and the window interface.
class InstanceCounter {
public:
    virtual ~InstanceCounter() = default;
    // True when another instance of this same executable is already running.
    virtual bool PreviousInstance() = 0;
    // How many running instances carry that module name.
    virtual int InstanceCount(const QString& moduleName) = 0;
    virtual bool EnhancedInterfaceAvailable() { return true; }
    // Asks the instance already running to bring its window to the front; true when it was reached.
    virtual bool BringRunningToFront() { return false; }
};
