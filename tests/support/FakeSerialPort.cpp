#include "support/FakeSerialPort.h"

#include "platform/RuntimeError.h"

#include <utility>

void FakeSerialPort::SetPortOpen(bool value)
{
    if (value) {
        if (openFails != 0)
            throw RuntimeError(openFails, QStringLiteral("Device not found: %1").arg(DeviceName()));
        if (open)
            throw RuntimeError(RuntimeError::PortUnavailable, QStringLiteral("Port already open"));
        open = true;
        lost = false;
        ++opens;
    } else if (open) {
        open = false;
        ++closes;
    }
}

void FakeSerialPort::SetSettings(const QString& text)
{
    if (settingsFail)
        throw RuntimeError(RuntimeError::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    settings = text;
}

QString FakeSerialPort::Pending() const
{
    QString text;
    for (const Arrival& arrival : pending)
        text += arrival.text;
    return text;
}

void FakeSerialPort::ClearInput()
{
    discarded += Pending();
    pending.clear();
}

QList<SerialPort::Arrival> FakeSerialPort::InputArrivals()
{
    const QList<Arrival> arrived = std::exchange(pending, {});
    if (onInput)
        onInput();
    return arrived;
}

void FakeSerialPort::Unplug()
{
    open = false;
    lost = true;
    available = false;
}
