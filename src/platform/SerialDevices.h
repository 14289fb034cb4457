#pragma once

#include <QString>
#include <QStringList>

// The serial devices present on this machine, read afresh at each call: the entries of the
// folders of names by id first (a USB scanner keeps that name whatever order the devices come
// up in at boot), then the kernel's names of the real ports.
class SerialDevices {
public:
    // The system's folders of names by id; tests pass folders of their own.
    explicit SerialDevices(QStringList byIdFolders = {QStringLiteral("/dev/serial/by-id")}, bool systemPorts = true);

    QStringList Present() const;
    // True when the path names a device that is there now: a link is followed to its end, so a
    // name by id whose device was unplugged is absent.
    static bool Exists(const QString& device);

private:
    QStringList byIdFolders_;
    bool systemPorts_;
};
