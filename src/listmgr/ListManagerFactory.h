#pragma once

#include <memory>

class ListManager;

// Makes the list manager that start-up connects to: the one place where it is chosen.
class ListManagerFactory {
public:
    virtual ~ListManagerFactory() = default;
    // The server; null, or a RuntimeError, when it cannot be made.
    virtual std::shared_ptr<ListManager> CreateListManager() = 0;
};
