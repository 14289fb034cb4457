#include "app/SerialLink.h"

#include "config/Configuration.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/RuntimeError.h"
#include "platform/SerialPort.h"
#include "station/StationState.h"

SerialLink::SerialLink(Configuration& config, SerialPort& port, StationState& state, MessageBoxes& boxes)
    : config_(config), port_(port), state_(state), boxes_(boxes)
{
}

QString SerialLink::CurrentSettingsText() const
{
    return QStringLiteral("COM") + QString::number(config_.CommPort) + QLatin1Char(':') + config_.SerialSettings;
}

void SerialLink::OpenSerialPort(Absent absent)
{
    const bool wasWaiting = waiting_ != Waiting::No;
    waiting_ = Waiting::No;
    bool opening = false;
    try {
        if (port_.PortOpen())
            port_.SetPortOpen(false);
        port_.SetCommPort(config_.CommPort);
        port_.SetSettings(config_.SerialSettings);
        port_.SetInputLen(0);
        opening = true;
        port_.SetPortOpen(true);
        state_.SetSerialSettingsText(CurrentSettingsText());
        state_.SetPort(StationState::PortState::Open, port_.DeviceName());
        Log::Info(QStringLiteral("scanner port %1 open on %2").arg(CurrentSettingsText(), port_.DeviceName()));
        if (wasWaiting)
            state_.SetStatus(QStringLiteral("Ready."));
    } catch (const RuntimeError& e) {
        if (opening && absent == Absent::WaitQuietly && !port_.DeviceAvailable()) {
            Log::Info(QStringLiteral("the scanner's device is not there yet (%1)").arg(e.Description()));
            waitForDevice(Waiting::ForFirstOpen, e.Description());
            return;
        }
        Log::Error(QStringLiteral("cannot open the scanner port %1: %2").arg(CurrentSettingsText(), e.Description()));
        boxes_.ReportUnexpectedError(e.Number(), e.Description());
        // The device may not be there yet (a USB scanner still being set up at boot): it is
        // watched for and opened when it comes. Settings that do not parse wait for the operator.
        if (opening)
            waitForDevice(Waiting::ForFirstOpen, e.Description());
        else
            state_.SetPort(StationState::PortState::Closed, e.Description());
        if (Unattended) {
            Log::Warning(QStringLiteral("unattended: the serial settings dialog is not shown; the scanner port stays closed"));
            return;
        }
        if (AskForSettings)
            AskForSettings();
    }
}

void SerialLink::SaveSerialSettings()
{
    const bool saved = config_.WriteIniValue(Configuration::Section, QStringLiteral("Settings"), config_.SerialSettings) &&
                       config_.WriteIniValue(Configuration::Section, QStringLiteral("CommPort"), QString::number(config_.CommPort));
    if (!saved)
        state_.SetStatus(QStringLiteral("Could not save the serial settings to %1.").arg(config_.NativeIniFilePath()));
}

void SerialLink::WatchDevice()
{
    if (waiting_ == Waiting::No) {
        if (port_.PortOpen() || !port_.Lost())
            return;
        waitForDevice(Waiting::ForReturn, QString());
        Log::Warning(QStringLiteral("scanner disconnected: %1; waiting for it to come back").arg(lostDevice_));
        state_.SetStatus(QStringLiteral("Scanner disconnected: %1.").arg(lostDevice_));
        state_.SetPort(StationState::PortState::Waiting, QStringLiteral("%1 was disconnected").arg(lostDevice_));
        return;
    }
    if (port_.PortOpen()) {
        // Opened by other means meanwhile (the settings dialog).
        waiting_ = Waiting::No;
        return;
    }
    if (!port_.DeviceAvailable())
        return;
    try {
        port_.SetPortOpen(true);
    } catch (const RuntimeError& e) {
        // The device may need a moment after it reappears; keep trying, but say it once.
        if (e.Description() != lastReopenError_) {
            lastReopenError_ = e.Description();
            Log::Warning(QStringLiteral("scanner %1 is back but cannot be opened yet: %2").arg(lostDevice_, e.Description()));
        }
        return;
    }
    const Waiting waited = waiting_;
    waiting_ = Waiting::No;
    if (waited == Waiting::ForReturn) {
        Log::Info(QStringLiteral("scanner reconnected: %1 reopened as %2").arg(port_.DeviceName(), CurrentSettingsText()));
    } else {
        Log::Info(QStringLiteral("scanner found: %1 opened as %2").arg(port_.DeviceName(), CurrentSettingsText()));
        state_.SetSerialSettingsText(CurrentSettingsText());
    }
    state_.SetPort(StationState::PortState::Open, port_.DeviceName());
    state_.SetStatus(QStringLiteral("Ready."));
}

void SerialLink::waitForDevice(Waiting why, const QString& error)
{
    waiting_ = why;
    lostDevice_ = port_.DeviceName();
    lastReopenError_ = error;
    if (why == Waiting::ForFirstOpen) {
        Log::Warning(QStringLiteral("waiting for the scanner %1; it is opened when it can be").arg(lostDevice_));
        state_.SetStatus(QStringLiteral("Waiting for the scanner: %1.").arg(lostDevice_));
        state_.SetPort(StationState::PortState::Waiting, QStringLiteral("%1: %2").arg(lostDevice_, error));
    }
}
