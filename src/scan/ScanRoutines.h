#pragma once

#include "listmgr/FieldSelection.h"
#include "scan/WordReader.h"

#include <QString>

#include <functional>

class Configuration;
class FieldSelection;
class ListLine;
class ListManagerLink;
class MainView;
class MirrorTrigger;
class Pauser;
class ProgramHeaderReader;
class RunState;
class ScanFields;
class SerialPort;

// What the label dispatcher and the program-barcode handler share: completing the sizes, the
// add-line sequence, the pauses that pace the operator, and the work-list commands.
//
// A failure the operator must see (a list manager call that failed, a line that was not added)
// stays on the status line: the "Ready." that follows in the same scan leaves it in place.
class ScanRoutines {
public:
    struct Services {
        Configuration& config;
        const RunState& run;
        MainView& view;
        Pauser& pauser;
        ListManagerLink& link;
        FieldSelection& selection;
        ListLine& line;
        ProgramHeaderReader& header;
        MirrorTrigger& mirror;
        SerialPort& port;
    };

    ScanRoutines(Services services, ScanFields& fields);

    // The work field chosen for the coming program: a refused scan puts it back as it was, so
    // that nothing of it reaches the next program.
    struct FieldChoiceMemory {
        QString code;
        bool chosen = false;
        FieldSelection::FieldSelectionState selection;
    };
    FieldChoiceMemory RememberFieldChoice() const;
    void RestoreFieldChoice(const FieldChoiceMemory& memory);

    // Why a program name from a scan cannot be used, or empty text when it can: it must name a
    // file below the program folder, and hold nothing that would add fields to the list line.
    // A blank name passes: it names no file.
    static QString ProgramNameRefusal(const QString& name);
    // True when the text holds a carriage return or a line feed: a list line holding one would
    // not read back from the saved work list as the same line.
    static bool HoldsLineEnd(const QString& text);

    // A new scan: troubles of the previous one no longer hold the status line.
    void BeginScan() { troubleShown_ = false; }
    bool TroubleShown() const { return troubleShown_; }
    // Shows a failure on the status line, logs it, and keeps it there until the next scan.
    void ReportTrouble(const QString& status, const QString& logDetail);
    // Keeps a failure that another routine has already shown and logged.
    void KeepTroubleShown() { troubleShown_ = true; }

    QString NextWord(const QString& text) { return words_.NextWord(text); }
    void Pause(float seconds);
    // The five part indicators of the main window, "Load List" to "Vars E-I".
    void HideIndicators();
    // 0.6 s, then "Ready." unless a failure of this scan is showing.
    void ShowReady();

    // The sizes as numbers; sizes that are 0 come from the program file, and their texts are
    // written back from the numbers found.
    void CompleteSizes(float& x, float& y, float& z);
    // Chooses the field, adds the line, starts the machine when AutoStart is ticked and, when
    // asked, acknowledges to the scanner. True when it started the machine.
    bool AddLineRoutine(float x, float y, bool acknowledge);
    // The program's line, or its normal and mirrored pair when the mirror trigger asks for both.
    void AddProgramLines(float x, float y, bool acknowledge);
    // The end of a program's scan: the pause, "Ready." and the indicators off. A program that
    // went to the work list becomes the last one, and the editor opens when "ShowEd" is ticked.
    void EndProgramScan(bool added, const std::function<void()>& launchEditor);

    // The work-list commands; each returns false after reporting a failure.
    bool ClearWorkList();
    bool StartWorkList();
    bool HoldWorkList();
    bool EndWorkList();
    bool Setpoint();

private:
    enum class Command { ClearList, Start, Hold, End, Setpoint };
    bool command(Command which);

    Services s_;
    ScanFields& fields_;
    WordReader words_;
    bool troubleShown_ = false;
};
