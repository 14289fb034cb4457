#pragma once

#include "scan/ScanConsumers.h"

// Stands in for the scan processing while it is not there: records in the log what would have
// been dispatched. Labels count as accepted; payloads expand to nothing.
class LoggingScanConsumers : public ScanConsumers {
public:
    bool DispatchLabel(QString label) override;
    void HandleProgramScan(QString& scan) override;
    QString ExpandPayload(QString& scan) override;
};
