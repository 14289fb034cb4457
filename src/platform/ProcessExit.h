#pragma once

// Ends the process at once, without the orderly shutdown: "E&xit", a second instance, an
// error the program cannot go on after.
class ProcessExit {
public:
    virtual ~ProcessExit() = default;
    virtual void EndProcess(int code) = 0;
};
