#pragma once

#include "config/windows/SerialDeviceList.h"

#include <QDialog>
#include <QMap>
#include <QStringList>

#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The serial settings dialog: port, baud rate, parity, data bits and stop bits of the scanner,
// shown from the port number and settings text in use, and the serial device each port opens,
// chosen among the devices present or typed. OK accepts the choice, which the caller applies and
// saves, once a port is chosen; Cancel changes nothing.
class frmSettings : public QDialog {
    Q_OBJECT
public:
    // portDevices: the device each port number opens now; presentDevices: where the devices
    // present are asked for (none: this machine's).
    frmSettings(int port, const QString& settings, const QMap<int, QString>& portDevices = {},
                SerialDeviceList::Source presentDevices = {}, QWidget* parent = nullptr);

    // The operator's choice, as OK stores it: a well-formed settings text and the port number.
    QString WorkingSettings() const;
    int WorkingPort() const { return port_; }
    // The device chosen for the working port; empty when it stays as it is.
    QString WorkingDevice() const;

private:
    void buildControls();
    QRadioButton* option(QGroupBox* frame, const char* name, const QString& caption, const std::function<void()>& click);
    void Form_Load(int port, const QString& settings);
    // The device list shows what the chosen port opens now.
    void showDeviceOf(int port);
    void cmdOK_Click();
    void cmdCancel_Click();

    qint16 port_ = 0;
    qint32 baud_ = 9600;
    QString parity_ = QStringLiteral("N");
    qint16 dataBits_ = 8;
    qint16 stopBits_ = 1;

    QGroupBox* fraComPort;
    QRadioButton* optCom1;
    QRadioButton* optCom2;
    QRadioButton* optCom3;
    QRadioButton* OptCom4;
    SerialDeviceList* lstDevice;
    QMap<int, QString> portDevices_;
    QGroupBox* fraBaudRate;
    QRadioButton* optBaud300;
    QRadioButton* optBaud1200;
    QRadioButton* optBaud2400;
    QRadioButton* optBaud4800;
    QRadioButton* optBaud9600;
    QRadioButton* optBaud19200;
    QRadioButton* optBaud38400;
    QRadioButton* optBaud57600;
    QGroupBox* fraParity;
    QRadioButton* optParityNone;
    QRadioButton* optParityOdd;
    QRadioButton* optParityEven;
    QGroupBox* fraDataBits;
    QRadioButton* optDataBits7;
    QRadioButton* optDataBits8;
    QGroupBox* fraStopBits;
    QRadioButton* optStopBits1;
    QRadioButton* optStopBits2;
    QLabel* lblProblem;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
