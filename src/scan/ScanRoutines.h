#pragma once

#include "scan/ScanFields.h"
#include "scan/WordReader.h"

#include <QString>
#include <QStringList>

class Configuration;
class EditorLauncher;
class FieldSelection;
class ListLine;
class ListManagerLink;
class StationState;
class MirrorTrigger;
class ProgramHeaderReader;
class RunState;
class SerialPort;
class StatusLine;

// What the label dispatcher and the program-barcode handler share: completing the sizes, the
// add-line sequence, the end of a program's scan, and the work-list commands. The program being
// assembled stays theirs: these routines read it and hand back what they found.
class ScanRoutines {
public:
    struct Services {
        Configuration& config;
        const RunState& run;
        StationState& state;
        StatusLine& status;
        ListManagerLink& link;
        FieldSelection& selection;
        ListLine& line;
        ProgramHeaderReader& header;
        MirrorTrigger& mirror;
        EditorLauncher& editor;
        SerialPort& port;
    };

    explicit ScanRoutines(Services services);

    QString NextWord(const QString& text) { return words_.NextWord(text); }

    // The program's sizes as numbers; sizes that are 0 come from the program file (with its
    // comment), and their texts are made from the numbers found.
    ScanFields::Sizes CompleteSizes(const ScanFields& program);
    // Chooses the field for fieldCode, adds the program's line, starts the machine when
    // AutoStart is ticked and, when asked, acknowledges to the scanner. True when it started the
    // machine.
    bool AddLineRoutine(const ScanFields& program, const QString& fieldCode, float x, float y, bool acknowledge);
    // The program's line, or its normal and mirrored pair when the mirror trigger asks for both.
    void AddProgramLines(const ScanFields& program, float x, float y, bool acknowledge);
    // The end of a program's scan as the operator sees it: the pause, "Ready." and the
    // indicators off; the editor opens for a program that was added when "ShowEd" is ticked.
    void EndProgramScan(bool added, const QString& programName);

    // The work-list commands; each returns false after reporting a failure.
    bool ClearWorkList();
    bool StartWorkList();
    bool HoldWorkList();
    bool EndWorkList();
    bool Setpoint();

private:
    enum class Command { ClearList, Start, Hold, End, Setpoint };
    bool command(Command which);
    // Why the line added will not run as meant: its program file missing, what the line itself
    // lacks, and what was noticed while the program was assembled.
    QStringList doubts(const ScanFields& program, const ListLine::Values& values) const;

    Services s_;
    WordReader words_;
};
