#pragma once

#include "platform/SerialPort.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>

// The scanner's port over QSerialPort. Port n is the device named by key COMn of section [Ports]
// in the configuration file, else /dev/ttyS(n-1). Received bytes are taken in, and stamped with
// their time, as the event loop delivers them.
class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void SetCommPort(int port) override;
    void SetSettings(const QString& settings) override;
    void SetInputLen(int length) override;
    void SetPortOpen(bool open) override;
    bool PortOpen() const override;
    int InBufferCount() const override;
    void ClearInput() override;
    QList<Arrival> InputArrivals() override;
    void Output(const QString& text) override;
    bool Lost() const override { return lost_; }
    QString DeviceName() const override;
    bool DeviceAvailable() const override;

    // The configuration file whose section [Ports] names the devices (native path); read at
    // every open, so that a mapping saved meanwhile counts.
    void SetConfigFile(const QString& nativePath) { configFile_ = nativePath; }
    QString DeviceForPort(int port) const override;
    QStringList PresentDevices() const override;

private:
    void open();
    void onError(QSerialPort::SerialPortError error);
    // Takes what the port has received into arrivals_, stamped with the time it is taken.
    void takeIn();
    void onReadyRead();
    [[noreturn]] void failOpen(QSerialPort::SerialPortError error, const QString& device);

    QSerialPort port_;
    QString configFile_;
    int commPort_ = 1;
    qint32 baud_ = 9600;
    QSerialPort::Parity parity_ = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits_ = QSerialPort::Data8;
    QSerialPort::StopBits stopBits_ = QSerialPort::OneStop;
    bool lost_ = false;
    QList<Arrival> arrivals_;
    QElapsedTimer clock_;
};
