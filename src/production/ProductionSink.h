#pragma once

#include "production/ProductionEntry.h"

// Where the station's production records go. Add never waits for a disk or a database: the
// record is kept and written later, away from the scan.
class ProductionSink {
public:
    virtual ~ProductionSink() = default;
    virtual void Add(const ProductionEntry& entry) = 0;
};
