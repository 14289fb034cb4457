#pragma once

#include <QChar>
#include <QString>

// What the scan processing sees of the main window: the status line, the indicators, the check
// boxes, the timer and the beep. frmMain implements it; tests use a recording fake.
class MainView {
public:
    enum class Box { AClear, Overwrite, ShowEd, AutoStart };
    enum class PortState { Open, Waiting, Closed };

    virtual ~MainView() = default;

    virtual void SetStatus(const QString& text) = 0;             // lblStatusBar
    virtual QString Status() const = 0;
    virtual bool IsChecked(Box box) const = 0;                   // ticked (value 1)
    virtual void SetCheckValue(Box box, int value) = 0;          // 0, 1 or 2 (greyed)
    virtual void HideShowEd() = 0;                               // and AutoStart takes its place
    virtual void SetTimerInterval(int milliseconds) = 0;         // Timer1
    virtual void SetCurrentSettings(const QString& text) = 0;    // lblCurSettings
    // The scanner's port as it is: open (detail: the device), waiting for the scanner to come
    // or closed (detail: why).
    virtual void SetPortState(PortState state, const QString& detail) = 0;
    virtual void SetIndicator(int index, bool visible) = 0;      // LabID(0..4)
    virtual void SetAutoFieldSelection(bool visible) = 0;        // LabelAFS
    virtual void SetActivity(bool visible, const QString& text) = 0; // DSpin
    virtual void Beep() = 0;
    // The serial settings dialog, modal; what the operator chose is applied before it returns.
    virtual void ShowSettingsDialog() = 0;
};
