#pragma once

#include <QString>

class MainView;
class Pauser;

// The status line and the part indicators as scans use them. A failure the operator must see
// (a list manager call that failed, a line that was not added) stays on the status line until
// the next scan: the "Ready." that closes the scan leaves it in place.
class StatusLine {
public:
    StatusLine(MainView& view, Pauser& pauser);

    // A new scan: troubles of the previous one no longer hold the status line.
    void BeginScan() { troubleShown_ = false; }
    bool TroubleShown() const { return troubleShown_; }
    // Shows a failure on the status line, logs it, and keeps it there until the next scan.
    void ReportTrouble(const QString& status, const QString& logDetail);
    // Keeps a failure that another routine has already shown and logged.
    void KeepTroubleShown() { troubleShown_ = true; }

    // Waits while the window stays live, to pace the operator.
    void Pause(float seconds);
    // The five part indicators of the main window, "Load List" to "Vars E-I".
    void HideIndicators();
    // 0.6 s, then "Ready." unless a failure of this scan is showing.
    void ShowReady();

private:
    MainView& view_;
    Pauser& pauser_;
    bool troubleShown_ = false;
};
