#pragma once

#include <QDialog>

#include <functional>

class Configuration;
class QGroupBox;
class QPushButton;
class QRadioButton;
class SerialLink;

// The serial settings dialog: port, baud rate, parity, data bits and stop bits of the scanner.
// OK saves them and reopens the port; Cancel changes nothing.
class frmSettings : public QDialog {
    Q_OBJECT
public:
    frmSettings(Configuration& config, SerialLink& link, QWidget* parent = nullptr);

    // The working values, as OK would store them.
    QString WorkingSettings() const;
    int WorkingPort() const { return port_; }

private:
    void buildControls();
    QRadioButton* option(QGroupBox* frame, const char* name, const QString& caption, const std::function<void()>& click);
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    Configuration& config_;
    SerialLink& link_;

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
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
