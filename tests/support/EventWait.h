#pragma once

#include <functional>

// Lets the event loop run until the condition holds or the time is up; the condition's last
// answer comes back.
class EventWait {
public:
    static bool Until(const std::function<bool()>& condition, int ms = 3000);
};
