#pragma once

#include "listmgr/ListManagerFactory.h"
#include "platform/RuntimeError.h"

#include <memory>

// Hands out the server it holds, counting the requests; the first `failures` requests fail as
// a server that cannot be made.
class FakeListManagerFactory : public ListManagerFactory {
public:
    explicit FakeListManagerFactory(std::shared_ptr<ListManager> given = {}) : server(std::move(given)) {}

    std::shared_ptr<ListManager> CreateListManager() override
    {
        ++created;
        if (failures > 0) {
            --failures;
            throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"));
        }
        return server;
    }

    std::shared_ptr<ListManager> server;
    int created = 0;
    int failures = 0;
};
