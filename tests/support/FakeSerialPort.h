#pragma once

#include "platform/SerialPort.h"

#include <QStringList>

#include <functional>

// A serial port in memory: tests put characters on the line with Receive and read what was
// sent from sent; openFails makes the next opens throw, as a missing device does.
class FakeSerialPort : public SerialPort {
public:
    void SetCommPort(int port) override { commPort = port; }
    void SetSettings(const QString& text) override;
    void SetInputLen(int length) override { inputLen = length; }
    void SetPortOpen(bool open) override;
    bool PortOpen() const override { return open; }
    int InBufferCount() const override { return static_cast<int>(Pending().size()); }
    void ClearInput() override;
    QList<Arrival> InputArrivals() override;
    void Output(const QString& text) override { sent << text; }
    bool Lost() const override { return lost; }
    QString DeviceName() const override { return DeviceForPort(commPort); }
    bool DeviceAvailable() const override { return available; }
    QString DeviceForPort(int port) const override { return QStringLiteral("/dev/fake%1").arg(port); }
    QStringList PresentDevices() const override { return present; }

    // Characters arrive at nowMs.
    void Receive(const QString& text)
    {
        pending.append({text, nowMs});
        notifyReceived();
    }
    QString Pending() const;
    // The device goes away: the port closes and reports the loss.
    void Unplug();

    int commPort = 0;
    QString settings;
    int inputLen = -1;
    bool open = false;
    int opens = 0;
    int closes = 0;
    QList<Arrival> pending;
    QString discarded;
    qint64 nowMs = 0; // when the next characters arrive
    QStringList sent;
    bool lost = false;
    bool available = true;
    QStringList present{QStringLiteral("/dev/serial/by-id/usb-Fake_Scanner-if00"), QStringLiteral("/dev/ttyUSB0")};
    // Non-zero: opening throws RuntimeError with this number.
    int openFails = 0;
    // SetSettings throws, as for a settings text that does not parse.
    bool settingsFail = false;
    // Called on each Input, e.g. to let characters arrive while they are being read.
    std::function<void()> onInput;
};
