#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class SerialDeviceList;
class StationSetup;

// The setup's scanner: its serial device (chosen among those present, refreshed while the page
// is shown, or typed), its line settings and the character it ends each code with.
class SetupScannerPage : public QWidget {
    Q_OBJECT
public:
    // presentDevices: the serial devices there now, asked again every second while shown.
    explicit SetupScannerPage(std::function<QStringList()> presentDevices, QWidget* parent = nullptr);
    // The device list, for tests.
    SerialDeviceList* DeviceList() const { return lstScannerDevice; }

    void Show(const StationSetup& setup);
    // Puts the page's choice into setup; why it cannot be taken, or empty text.
    QString Take(StationSetup& setup) const;

    // The endings the scanner can send, as ScanSuffix names them, and as the operator reads them.
    static const QStringList SuffixKeys;
    static const QStringList SuffixTexts;

private:
    std::function<QStringList()> presentDevices_;
    SerialDeviceList* lstScannerDevice;
    QComboBox* cboBaud;
    QComboBox* cboParity;
    QComboBox* cboDataBits;
    QComboBox* cboStopBits;
    QComboBox* cboSuffix;
};
