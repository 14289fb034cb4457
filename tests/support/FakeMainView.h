#pragma once

#include "config/MainView.h"

#include <QStringList>

#include <array>
#include <functional>

// Records what the scan processing does to the main window.
class FakeMainView : public MainView {
public:
    void SetStatus(const QString& text) override;
    QString Status() const override { return status; }
    bool IsChecked(Box box) const override { return checks[index(box)] == 1; }
    void SetCheckValue(Box box, int value) override { checks[index(box)] = value; }
    void HideShowEd() override { showEdHidden = true; }
    void SetTimerInterval(int milliseconds) override { timerInterval = milliseconds; }
    void SetCurrentSettings(const QString& text) override { currentSettings = text; }
    void SetPortState(PortState state, const QString& detail) override
    {
        portState = state;
        portDetail = detail;
    }
    void SetIndicator(int i, bool visible) override;
    void SetAutoFieldSelection(bool visible) override { autoFieldSelection = visible; }
    void SetActivity(bool visible, const QString& text) override;
    void Beep() override { ++beeps; }
    void ShowSettingsDialog() override
    {
        ++settingsDialogs;
        if (onSettingsDialog)
            onSettingsDialog();
    }

    static size_t index(Box box) { return static_cast<size_t>(box); }

    QString status = QStringLiteral("Ready.");
    QStringList statusHistory;
    std::array<int, 4> checks{0, 0, 0, 0};
    bool showEdHidden = false;
    int timerInterval = 1000;
    QString currentSettings;
    PortState portState = PortState::Closed;
    QString portDetail;
    std::array<bool, 5> indicators{};
    bool autoFieldSelection = false;
    bool activityVisible = false;
    QString activityText = QStringLiteral("X");
    int beeps = 0;
    int settingsDialogs = 0;
    std::function<void()> onSettingsDialog; // what the operator does in the dialog
    std::function<void(const QString&)> onStatus; // called after each SetStatus
};
