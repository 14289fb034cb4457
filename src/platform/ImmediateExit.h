#pragma once

#include "platform/ProcessExit.h"

// The real end of the process: output is flushed, then the process ends with the code.
class ImmediateExit : public ProcessExit {
public:
    void EndProcess(int code) override;
};
