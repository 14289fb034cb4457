#pragma once

#include <QString>

#include <functional>

class Configuration;
class StationState;
class MessageBoxes;
class SerialPort;

// Opens the scanner's port with the configured port number and settings, saves them, and brings
// the port back when a lost device returns.
class SerialLink {
public:
    SerialLink(Configuration& config, SerialPort& port, StationState& state, MessageBoxes& boxes);

    // What start-up does when the scanner's device is not there: a USB scanner not plugged in
    // yet is waited for without a box, and opened when it comes.
    enum class Absent { Report, WaitQuietly };
    // (Re)opens the port with CommPort and SerialSettings and shows them in the station's state. A
    // failure is reported, then the settings dialog is shown (not in unattended mode: no operator
    // would close it). A port that did not open is watched for as a lost one is.
    void OpenSerialPort(Absent absent = Absent::Report);
    // Writes Settings and CommPort to the configuration file.
    void SaveSerialSettings();

    // Called on every tick: notices a lost device and reopens the port when the device is back,
    // and opens one that was missing when it appears.
    void WatchDevice();

    // "COM1:9600,N,8,1"
    QString CurrentSettingsText() const;

    // No operator: a port that does not open is only logged, no dialog waits.
    bool Unattended = false;
    // Offers the operator the serial settings dialog, modal: what was chosen is applied before it
    // returns. Unset where no window shows one.
    std::function<void()> AskForSettings;

private:
    // What the watch waits for: nothing, a lost device to return, or one that never opened.
    enum class Waiting { No, ForReturn, ForFirstOpen };
    void waitForDevice(Waiting why, const QString& error);

    Configuration& config_;
    SerialPort& port_;
    StationState& state_;
    MessageBoxes& boxes_;
    Waiting waiting_ = Waiting::No;
    QString lostDevice_;
    QString lastReopenError_;
};
