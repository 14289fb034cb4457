#pragma once

#include "config/MainView.h"

// A main window that ignores everything but the status line, for code measured outside the app.
class NullMainView : public MainView {
public:
    void SetStatus(const QString& text) override { status_ = text; }
    QString Status() const override { return status_; }
    bool IsChecked(Box) const override { return false; }
    void SetCheckValue(Box, int) override {}
    void HideShowEd() override {}
    void SetTimerInterval(int) override {}
    void SetCurrentSettings(const QString&) override {}
    void SetPortState(PortState, const QString&) override {}
    void SetIndicator(int, bool) override {}
    void SetAutoFieldSelection(bool) override {}
    void SetActivity(bool, const QString&) override {}
    void Beep() override {}
    void ShowSettingsDialog() override {}

private:
    QString status_;
};
