#pragma once

#include "support/TestEnvironment.h"

#include <QString>

// What every fuzz target runs in: temporary configuration and data folders for the whole run,
// so work files, program files and the log land there, and no echo of the log on standard error.
class FuzzEnvironment {
public:
    static FuzzEnvironment& Get();

    QString DataFolder() const { return env_.DataFolder(); }
    QString Root() const { return env_.Root(); }
    // The log grows with every input; each input starts it afresh.
    void ResetLog() const;

private:
    FuzzEnvironment();
    TestEnvironment env_;
};

// Stops the run as a crash, so that libFuzzer keeps the input that broke the property.
[[noreturn]] void FuzzFailure(const char* what);
