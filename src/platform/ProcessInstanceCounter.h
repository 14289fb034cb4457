#pragma once

#include "platform/InstanceCounter.h"

// Counts the running processes of this executable that belong to the same user (from /proc).
// The module name is the executable's; the count includes this process.
class ProcessInstanceCounter : public InstanceCounter {
public:
    bool PreviousInstance() override;
    int InstanceCount(const QString& moduleName) override;
    bool BringRunningToFront() override;
};
