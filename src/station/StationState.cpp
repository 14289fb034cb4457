#include "station/StationState.h"

#include "platform/Log.h"

StationState::StationState(QObject* parent) : QObject(parent) {}

void StationState::SetStatus(const QString& text)
{
    status_ = text;
    Q_EMIT StatusChanged(status_);
}

void StationState::SetOption(Option option, int value)
{
    int& stored = options_[index(option)];
    if (stored == value)
        return;
    stored = value;
    Q_EMIT OptionChanged(option, value);
}

void StationState::HideShowEd()
{
    if (showEdHidden_)
        return;
    showEdHidden_ = true;
    Q_EMIT ShowEdHiddenChanged(true);
}

void StationState::SetSoundOn(bool on)
{
    if (on == soundOn_)
        return;
    soundOn_ = on;
    Q_EMIT SoundOnChanged(on);
}

void StationState::SetIndicator(int index, bool visible)
{
    if (index < 0 || index >= IndicatorCount)
        return;
    bool& shown = indicators_[static_cast<size_t>(index)];
    if (shown == visible)
        return;
    shown = visible;
    Q_EMIT IndicatorChanged(index, visible);
}

bool StationState::Indicator(int index) const
{
    return index >= 0 && index < IndicatorCount && indicators_[static_cast<size_t>(index)];
}

void StationState::SetAutoFieldSelection(bool shown)
{
    if (autoFieldSelection_ == shown)
        return;
    autoFieldSelection_ = shown;
    Q_EMIT AutoFieldSelectionChanged(shown);
}

void StationState::SetActivity(bool shown, const QString& mark)
{
    if (activityShown_ == shown && activityMark_ == mark)
        return;
    activityShown_ = shown;
    activityMark_ = mark;
    Q_EMIT ActivityChanged(shown, mark);
}

void StationState::SetSerialSettingsText(const QString& text)
{
    if (serialSettings_ == text)
        return;
    serialSettings_ = text;
    Q_EMIT SerialSettingsTextChanged(text);
}

void StationState::SetPort(PortState state, const QString& detail)
{
    if (port_ == state && portDetail_ == detail)
        return;
    port_ = state;
    portDetail_ = detail;
    Q_EMIT PortChanged(state, detail);
}

void StationState::SetMachine(const MachineState& reported)
{
    if (machine_ == reported)
        return;
    machine_ = reported;
    if (!FaultUnseen())
        Q_EMIT MachineChanged(machine_);
}

void StationState::ReportFault(const QString& reason)
{
    fault_ = MachineState::Of(MachineState::Kind::Fault, reason);
    fault_.time = QDateTime::currentDateTime();
    Q_EMIT FaultReported(reason);
    Q_EMIT MachineChanged(fault_);
}

void StationState::AcknowledgeFault()
{
    if (!FaultUnseen())
        return;
    Log::Info(QStringLiteral("the operator has seen the fault: %1").arg(fault_.detail));
    fault_ = MachineState();
    Q_EMIT MachineChanged(machine_);
}

void StationState::SetMachineName(const QString& name)
{
    machineName_ = name;
    Q_EMIT MachineChanged(Machine());
}
