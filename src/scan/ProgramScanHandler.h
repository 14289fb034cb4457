#pragma once

#include "platform/FieldParser.h"

#include <QString>

class Configuration;
class ListFileLoader;
class ListManagerLink;
class StationState;
class RunState;
class ScanFields;
class ScanRoutines;
class StatusLine;

// `HandleProgramScan`: a two-dimensional barcode that carries a whole program. The header
// (name, then "^"-separated tags X Y Z U V) fills the scan fields, the program text after the
// first "!" is saved under GCodePath, and the program goes to the work list like a completed
// label, without the scanner's acknowledgement. A scan "*%00<name>.." without "!" asks for a
// list file instead.
class ProgramScanHandler {
public:
    struct Services {
        Configuration& config;
        RunState& run;
        StationState& state;
        StatusLine& status;
        ScanRoutines& routines;
        ListManagerLink& link;
        ListFileLoader& lists;
    };

    static constexpr char16_t PrefixMarker = 209; // "Ñ": the first 8 characters are a prefix
    static constexpr int PrefixLength = 8;
    // Shorter texts are no program worth a file.
    static constexpr int ShortestSavedText = 11;

    // fields is the program being assembled, shared with the label dispatcher.
    ProgramScanHandler(Services services, ScanFields& fields);

    // The scan is changed in place: the prefix is removed, and a list-file request is cut down
    // to the list name.
    void HandleProgramScan(QString& scan);

private:
    void firstScan();
    void readHeader(const QString& header);
    // A header whose program name would put the file outside GCodePath or change the list line,
    // or that holds a line end; the refusal is reported. The field choice is the caller's to restore.
    bool refuseHeader(const QString& header, bool saving);
    // Saves the text as GCodePath + name, byte for byte plus CR LF, unless Overwrite is off and
    // a non-empty file is there. False when it failed: that is reported, and nothing is added.
    bool saveProgram(const QString& text);
    void addLines(float x, float y);
    void endProgram(bool added);

    Services s_;
    ScanFields& fields_;
    FieldParser parser_;
};
