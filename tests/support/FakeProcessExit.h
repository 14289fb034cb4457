#pragma once

#include "platform/ProcessExit.h"

// Records that the process would have ended, and with which code, instead of ending it.
class FakeProcessExit : public ProcessExit {
public:
    void EndProcess(int exitCode) override
    {
        ended = true;
        code = exitCode;
    }

    bool ended = false;
    int code = -1;
};
