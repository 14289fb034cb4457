#pragma once

#include "station/MachineState.h"

#include <QObject>
#include <QString>

#include <array>

// What the station is at this moment: the status line, the progress indicators, the options the
// operator ticks, the receive-activity mark, the serial settings, the scanner port's state and
// the machine's.
// The scan processing reads and writes it; windows, when there are any, show it and turn the
// operator's clicks into calls on it. Every change is signalled.
class StationState : public QObject {
    Q_OBJECT
public:
    // The four options, shown as check boxes where there is a window.
    enum class Option { AClear, Overwrite, ShowEd, AutoStart };
    enum class PortState { Open, Waiting, Closed };
    static constexpr int IndicatorCount = 5; // LabID(0..4)

    explicit StationState(QObject* parent = nullptr);

    // lblStatusBar. Every call is signalled, also with the same text: each one is an event
    // the history and the log may follow.
    void SetStatus(const QString& text);
    const QString& Status() const { return status_; }

    // 0, 1 or 2 as stored; 2 (greyed) counts as not ticked, as the check box shows it.
    void SetOption(Option option, int value);
    int OptionValue(Option option) const { return options_[index(option)]; }
    bool IsTicked(Option option) const { return OptionValue(option) == 1; }
    // ShowEd is hidden at start-up, and AutoStart takes its place.
    void HideShowEd();
    bool ShowEdHidden() const { return showEdHidden_; }

    // Whether refusals, doubtful lines and machine faults are heard ([GESTBCOD] Sound).
    void SetSoundOn(bool on);
    bool SoundOn() const { return soundOn_; }

    void SetIndicator(int index, bool visible);
    bool Indicator(int index) const;
    const std::array<bool, IndicatorCount>& Indicators() const { return indicators_; }
    // LabelAFS: "Automatic Field Selection" applies to the line being added.
    void SetAutoFieldSelection(bool shown);
    bool AutoFieldSelection() const { return autoFieldSelection_; }

    // DSpin: shown while characters arrive, with the first character just read.
    void SetActivity(bool shown, const QString& mark);
    bool ActivityShown() const { return activityShown_; }
    const QString& ActivityMark() const { return activityMark_; }

    // lblCurSettings: "COM1:9600,N,8,1".
    void SetSerialSettingsText(const QString& text);
    const QString& SerialSettingsText() const { return serialSettings_; }
    // The scanner's port: open (detail: the device), waiting for the scanner (detail: which and
    // why) or closed (detail: why).
    void SetPort(PortState state, const QString& detail);
    PortState Port() const { return port_; }
    const QString& PortDetail() const { return portDetail_; }

    // The machine as the list manager reports it; kept, and shown unless a fault is still unseen.
    void SetMachine(const MachineState& reported);
    // A fault stays shown, whatever is reported after it, until the operator has seen it.
    void ReportFault(const QString& reason);
    // The operator has seen the fault (a click on it, or a Start).
    void AcknowledgeFault();
    bool FaultUnseen() const { return fault_.kind == MachineState::Kind::Fault; }
    // What the station shows: the unseen fault, else the state reported last.
    const MachineState& Machine() const { return FaultUnseen() ? fault_ : machine_; }
    // The control behind the list manager as the operator knows it ("LinuxCNC at host:5007").
    void SetMachineName(const QString& name);
    const QString& MachineName() const { return machineName_; }

Q_SIGNALS:
    void StatusChanged(const QString& text);
    void OptionChanged(StationState::Option option, int value);
    void ShowEdHiddenChanged(bool hidden);
    void SoundOnChanged(bool on);
    void IndicatorChanged(int index, bool visible);
    void AutoFieldSelectionChanged(bool shown);
    void ActivityChanged(bool shown, const QString& mark);
    void SerialSettingsTextChanged(const QString& text);
    void PortChanged(StationState::PortState state, const QString& detail);
    void MachineChanged(const MachineState& shown);
    // Once per fault, when it is reported.
    void FaultReported(const QString& reason);

private:
    static size_t index(Option option) { return static_cast<size_t>(option); }

    QString status_ = QStringLiteral("Ready.");
    // Unticked until the configuration is loaded.
    std::array<int, 4> options_{0, 0, 0, 0};
    bool showEdHidden_ = false;
    bool soundOn_ = true;
    std::array<bool, IndicatorCount> indicators_{};
    bool autoFieldSelection_ = false;
    bool activityShown_ = false;
    QString activityMark_ = QStringLiteral("X");
    QString serialSettings_;
    PortState port_ = PortState::Closed;
    QString portDetail_;
    MachineState machine_;
    MachineState fault_; // NotStarted when no fault waits to be seen
    QString machineName_;
};
