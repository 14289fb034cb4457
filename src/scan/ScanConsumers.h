#pragma once

#include <QString>

// Where the intake hands a finished scan: the label dispatcher, the program-barcode handler and
// the compressed-payload expander.
class ScanConsumers {
public:
    virtual ~ScanConsumers() = default;

    // True when the label was accepted.
    virtual bool DispatchLabel(QString label) = 0;
    virtual void HandleProgramScan(QString& scan) = 0;
    // The expanded text; empty when nothing usable came out.
    virtual QString ExpandPayload(QString& scan) = 0;
    // Why the last ExpandPayload gave nothing, in a few words; empty when unknown.
    virtual QString PayloadDropReason() const { return QString(); }
};
