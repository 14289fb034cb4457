#pragma once

#include "autosel/AutoSelectRules.h"
#include "autosel/FieldSelection.h"
#include "autosel/MirrorTrigger.h"
#include "listmgr/ListFileLoader.h"
#include "listmgr/ListLine.h"
#include "platform/DetachedProcessStarter.h"
#include "program/CsvTransfer.h"
#include "program/EditorLauncher.h"
#include "program/PayloadExpander.h"
#include "program/ProgramHeaderReader.h"
#include "scan/LabelDispatcher.h"
#include "scan/ProgramScanHandler.h"
#include "scan/ScanConsumers.h"
#include "scan/ScanFields.h"
#include "scan/ScanRoutines.h"
#include "station/ScanHistory.h"
#include "station/StatusLine.h"

class Configuration;
class FieldCodeTable;
class ListManagerLink;
class StationState;
class MessageBoxes;
class Pauser;
class RunState;
class SerialPort;

// The whole scan processing of a run: the program being assembled, the automatic field
// selection rules, and the routines that turn labels, program barcodes and compressed payloads
// into lines of the work list. The station owns one; tests build their own around fakes.
class ScanProcessing : public ScanConsumers {
public:
    struct Services {
        Configuration& config;
        RunState& run;
        StationState& state;
        MessageBoxes& boxes;
        Pauser& pauser;
        ListManagerLink& link;
        const FieldCodeTable& codes;
        SerialPort& port;
    };

    explicit ScanProcessing(Services services);

    bool DispatchLabel(QString label) override;
    void HandleProgramScan(QString& scan) override;
    QString ExpandPayload(QString& scan) override;
    QString PayloadDropReason() const override { return expander_.DropReason(); }

    ScanFields& Fields() { return fields_; }
    AutoSelectRules& Rules() { return rules_; }
    StatusLine& Status() { return status_; }
    // What became of the last scans.
    ScanHistory& History() { return history_; }
    FieldSelection& Selection() { return selection_; }
    ScanRoutines& Routines() { return routines_; }
    LabelDispatcher& Dispatcher() { return dispatcher_; }
    ProgramScanHandler& ProgramHandler() { return programs_; }
    EditorLauncher& Editor() { return editor_; }
    // Whether the last label's CSV companion was moved.
    const CsvTransfer& Csv() const { return csv_; }

private:
    ScanFields fields_; // the program being assembled: the dispatcher's and the handler's
    AutoSelectRules rules_;
    FieldSelection selection_;
    ListLine line_;
    MirrorTrigger mirror_;
    CsvTransfer csv_;
    ProgramHeaderReader header_;
    PayloadExpander expander_;
    ScanHistory history_;
    StatusLine status_;
    DetachedProcessStarter processes_;
    EditorLauncher editor_;
    ScanRoutines routines_;
    ListFileLoader lists_;
    LabelDispatcher dispatcher_;
    ProgramScanHandler programs_;
};
