#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

class QComboBox;

// The choice of a serial device: the devices present, read again every second while the list is
// shown so that a scanner plugged in or pulled out meanwhile is seen, each under its full name;
// the device chosen before stays listed, marked "(not present)" when it is not there now. A path
// typed in is taken as it is.
class SerialDeviceList : public QWidget {
    Q_OBJECT
public:
    // The devices present, asked at every refresh.
    using Source = std::function<QStringList()>;

    // Without a source: the devices of this machine.
    explicit SerialDeviceList(QWidget* parent = nullptr, Source present = {});

    void SetSource(Source present);
    // The device shown as chosen; it stays listed while the list refreshes.
    void SetDevice(const QString& device);
    // The device chosen or typed (trimmed); empty when none.
    QString Device() const;
    // Reads the devices present now (the timer does so while the list is shown).
    void Refresh();

Q_SIGNALS:
    void DeviceChanged(const QString& device);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void rebuild(const QStringList& present);
    void textChanged();

    Source present_;
    QString kept_; // the device given by SetDevice
    QStringList shown_;
    QComboBox* cboDevice;
    QTimer poll_;
    bool rebuilding_ = false;
};
