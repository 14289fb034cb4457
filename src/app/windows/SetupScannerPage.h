#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class QTimer;
class StationSetup;

// The setup's scanner: its serial device (chosen among those present, refreshed while the page
// is shown, or typed), its line settings and the character it ends each code with.
class SetupScannerPage : public QWidget {
    Q_OBJECT
public:
    // presentDevices: the serial devices there now, asked again every second while shown.
    explicit SetupScannerPage(std::function<QStringList()> presentDevices, QWidget* parent = nullptr);

    void Show(const StationSetup& setup);
    // Puts the page's choice into setup; why it cannot be taken, or empty text.
    QString Take(StationSetup& setup) const;

    // The endings the scanner can send, as ScanSuffix names them, and as the operator reads them.
    static const QStringList SuffixKeys;
    static const QStringList SuffixTexts;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refreshDevices();

    std::function<QStringList()> presentDevices_;
    QStringList shownDevices_;
    QTimer* refresh_;
    QComboBox* cboScannerDevice;
    QComboBox* cboBaud;
    QComboBox* cboParity;
    QComboBox* cboDataBits;
    QComboBox* cboStopBits;
    QComboBox* cboSuffix;
};
