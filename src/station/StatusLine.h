#pragma once

#include <QString>

class StationState;
class Pauser;
class ScanHistory;

// The status line, the part indicators and the scan history as scans use them. A failure the
// operator must see (a list manager call that failed, a line that was not added) stays on the
// status line until the next scan: the "Ready." that closes the scan leaves it in place; the
// history keeps it after that.
class StatusLine {
public:
    StatusLine(StationState& state, Pauser& pauser, ScanHistory& history);

    // A new scan: troubles of the previous one no longer hold the status line.
    void BeginScan() { troubleShown_ = false; }
    // Shows a failure on the status line, logs it, keeps it there until the next scan, and marks
    // the scan in the history.
    void ReportTrouble(const QString& status, const QString& logDetail);
    // What became of the scan, in the history's words (also logged).
    void Outcome(const QString& text);
    void Refusal(const QString& reason);
    // The scan added a line that will not run as meant; reason says why.
    void Doubt(const QString& reason);
    // Keeps a failure that another routine has already shown and logged.
    void KeepTroubleShown() { troubleShown_ = true; }
    // The same for a failure of the scan being processed, which its history entry then shows.
    void KeepScanTroubleShown();

    // Waits while events go on being handled, to pace the operator.
    void Pause(float seconds);
    // The five part indicators, "Load List" to "Vars E-I".
    void HideIndicators();
    // 0.6 s, then "Ready." unless a failure of this scan is showing.
    void ShowReady();

private:
    StationState& state_;
    Pauser& pauser_;
    ScanHistory& history_;
    bool troubleShown_ = false;
};
