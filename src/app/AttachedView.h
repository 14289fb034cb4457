#pragma once

#include "config/MainView.h"

// The main window as the station sees it: every call goes to the window attached, and nothing
// happens while none is (before the window opens, after it has gone), so the station never
// depends on a window's lifetime.
class AttachedView : public MainView {
public:
    void Attach(MainView* window) { window_ = window; }

    void SetStatus(const QString& text) override;
    QString Status() const override;
    bool IsChecked(Box box) const override;
    void SetCheckValue(Box box, int value) override;
    void HideShowEd() override;
    void SetTimerInterval(int milliseconds) override;
    void SetCurrentSettings(const QString& text) override;
    void SetPortState(PortState state, const QString& detail) override;
    void SetIndicator(int index, bool visible) override;
    void SetAutoFieldSelection(bool visible) override;
    void SetActivity(bool visible, const QString& text) override;
    void Beep() override;
    void ShowSettingsDialog() override;

private:
    MainView* window_ = nullptr;
};
