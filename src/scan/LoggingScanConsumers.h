#pragma once

#include "program/PayloadExpander.h"
#include "scan/ScanConsumers.h"

class MainView;

// Stands in for the scan processing while it is not there: records in the log what would have
// been dispatched. Labels count as accepted; compressed payloads are already expanded for real.
class LoggingScanConsumers : public ScanConsumers {
public:
    explicit LoggingScanConsumers(MainView& view);
    bool DispatchLabel(QString label) override;
    void HandleProgramScan(QString& scan) override;
    QString ExpandPayload(QString& scan) override;

private:
    PayloadExpander expander_;
};
