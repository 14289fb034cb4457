#include "platform/SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <utility>

SerialDevices::SerialDevices(QStringList byIdFolders, bool systemPorts)
    : byIdFolders_(std::move(byIdFolders)), systemPorts_(systemPorts)
{
}

QStringList SerialDevices::Present() const
{
    QStringList devices;
    for (const QString& folder : byIdFolders_) {
        const QDir byId(folder);
        for (const QString& name : byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString device = byId.filePath(name);
            if (Exists(device))
                devices << device;
        }
    }
    if (systemPorts_) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            const QString device = info.systemLocation();
            if (device.startsWith(QLatin1String("/dev/ttyS")) || device.startsWith(QLatin1String("/dev/ttyUSB")) ||
                device.startsWith(QLatin1String("/dev/ttyACM")))
                devices << device;
        }
    }
    return devices;
}

bool SerialDevices::Exists(const QString& device)
{
    return !device.isEmpty() && QFileInfo::exists(device);
}
