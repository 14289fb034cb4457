#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

// The scanner's serial port, with the members the intake and the port opening use. Set CommPort,
// Settings and InputLen, then SetPortOpen(true). Characters are bytes: one received byte is one
// Latin-1 character (byte 0xF1 reads as character 241), and Output sends each character as one byte.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual void SetCommPort(int port) = 0;            // selects the port for the next open
    virtual void SetSettings(const QString& settings) = 0; // "9600,N,8,1"; RuntimeError when malformed
    virtual void SetInputLen(int length) = 0;          // 0: Input returns everything waiting

    // True opens the port or throws RuntimeError (number and text); false closes it.
    virtual void SetPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;

    // Received characters with the time they came, in ms on a clock that only goes forward: a
    // scan ends at a silence between arrivals, however late the intake gets to read them.
    struct Arrival {
        QString text;
        qint64 atMs = 0;
    };

    virtual int InBufferCount() const = 0;             // received characters waiting
    virtual void ClearInput() = 0;                     // InBufferCount = 0: discards them
    virtual QList<Arrival> InputArrivals() = 0;        // the waiting characters, removed, as they came
    QString Input()                                    // the same, as one text
    {
        QString text;
        for (const Arrival& arrival : InputArrivals())
            text += arrival.text;
        return text;
    }
    virtual void Output(const QString& text) = 0;

    // Called from the event loop when characters have come in, for a reader that must not wait
    // for its next poll; unset, only the reads see them.
    void OnReceived(std::function<void()> handler) { received_ = std::move(handler); }

    // The device behind the port: lost while open (unplugged, hung up), the port is closed and
    // Lost() stays true until the next successful open.
    virtual bool Lost() const = 0;
    virtual QString DeviceName() const = 0;            // the device the port number stands for
    virtual bool DeviceAvailable() const = 0;          // that device exists right now
    virtual QString DeviceForPort(int port) const = 0; // the device a port number stands for
    // The serial devices present, stable names (/dev/serial/by-id/...) first.
    virtual QStringList PresentDevices() const = 0;

protected:
    void notifyReceived()
    {
        if (received_)
            received_();
    }

private:
    std::function<void()> received_;
};
