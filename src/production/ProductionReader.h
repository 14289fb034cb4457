#pragma once

#include "production/ReportRow.h"

#include <functional>

// Reads the production record. The answer comes later, on the caller's thread, so that a slow
// or unreachable database never holds the window.
class ProductionReader {
public:
    virtual ~ProductionReader() = default;
    virtual void Ask(const ReportQuery& query, std::function<void(const ReportResult&)> answer) = 0;
};
