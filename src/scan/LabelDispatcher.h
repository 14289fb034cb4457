#pragma once

#include <QString>

class AutoSelectRules;
class Configuration;
class CsvTransfer;
class FieldCodeTable;
class FieldSelection;
class ListFileLoader;
class StationState;
class ProgramHeaderReader;
class RunState;
class ScanFields;
class ScanRoutines;
class StatusLine;

// `DispatchLabel`: what a scanned or typed label means. A work-list command, a field
// selection, a whole program on one plain label, or one part of a program spread over several
// labels, which are collected until the set is complete; a complete program goes to the work
// list as one line, or two (normal and mirrored).
class LabelDispatcher {
public:
    struct Services {
        Configuration& config;
        RunState& run;
        StationState& state;
        StatusLine& status;
        ScanRoutines& routines;
        const FieldCodeTable& codes;
        FieldSelection& selection;
        AutoSelectRules& rules;
        CsvTransfer& csv;
        ProgramHeaderReader& header;
        ListFileLoader& lists;
    };

    // fields is the program being assembled, shared with the program-barcode handler.
    LabelDispatcher(Services services, ScanFields& fields);

    // True when the label was acted on: a command carried out, a field fixed, a program added.
    // False when it was stored as a part still waiting for others, refused, or asked for a list
    // file; the status line says which.
    bool DispatchLabel(QString label);

    // The part characters collected for the program in progress, in arrival order.
    const QString& PartsSeen() const { return partsSeen_; }

private:
    enum class Outcome { Stored, NotStored, Refused };

    bool command(const QString& label, bool& accepted);
    bool fieldSelection(const QString& label);
    Outcome plainLabel(const QString& label, QString& count);
    // Stores one part; false when it was a list-file request, whose answer is then in result.
    bool partLabel(const QString& label, QString& count, Outcome& outcome, bool& result);
    // Sets the program name; false when the label is refused for it (reported).
    bool acceptProgramName(const QString& label, const QString& name);
    // The same with ".CNC" added as needed, and the CSV companion moved.
    bool takeProgramName(const QString& label, const QString& name);
    // Reports a label that is refused whole: nothing of it is kept or added.
    void refuse(const QString& label, const QString& why);
    void complete();

    Services s_;
    ScanFields& fields_;
    QString partsSeen_;
};
