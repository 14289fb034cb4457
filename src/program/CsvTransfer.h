#pragma once

#include <QString>

class Configuration;
class StationState;
class RunState;

// Moves the companion CSV file of a labelled program (same base name, ".CSV", in CSVInPath)
// onto the end of the collecting file CSVOutPath. The companion is deleted only after its whole
// content was appended and the collecting file closed without error, unless the command line
// says KEEPCSV or "KEEP CSV".
class CsvTransfer {
public:
    CsvTransfer(Configuration& config, const RunState& run, StationState& state);

    // programName is the label's program name, normally ending in ".CNC". Returns false when
    // something went wrong (the status line and the log say what); a missing companion is fine.
    // A companion that cannot even be looked up (a name too long for the file system, a loop of
    // links) throws the RuntimeError: the name itself is unusable, and the caller refuses it.
    bool TransferCsv(const QString& programName);

    // True when the last transfer was of this program's companion and moved its content onto
    // the collecting file (kept or not after it).
    bool Moved(const QString& programName) const { return moved_ && programName == lastProgram_; }

    // CSVInPath, "\", the name without ".CNC" (or the whole name), ".CSV"; blanks trimmed.
    QString CompanionPath(const QString& programName) const;

    // A transfer is all or nothing for whoever reads the collecting file: before appending, a
    // record of the collecting file and its size is saved here, and removed once the append is
    // on the disk. A record found at start-up is a transfer that was cut off (the process killed,
    // the power gone): the collecting file is cut back to the size it had before it, the
    // companion is still there to be scanned again, and the log says so.
    static QString PendingRecordPath(); // $XDG_DATA_HOME/tarvex/csv-transfer.pending
    static void RecoverInterruptedTransfer();

private:
    bool fail(const QString& status, const QString& detail);

    Configuration& config_;
    const RunState& run_;
    StationState& state_;
    QString lastProgram_;
    bool moved_ = false;
};
