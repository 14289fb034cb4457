#include "platform/QtSerialPort.h"

#include "platform/Log.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "platform/SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <utility>

namespace {
// The group that owns the device, so that a refusal can name the fix.
QString owningGroup(const QString& device)
{
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return QString();
    if (const struct group* g = ::getgrgid(st.st_gid))
        return QString::fromLocal8Bit(g->gr_name);
    return QString::number(st.st_gid);
}

// Characters the driver has received that the port has not read yet.
int driverHolds(const QSerialPort& port)
{
    int count = 0;
    return port.handle() >= 0 && ::ioctl(port.handle(), FIONREAD, &count) == 0 ? count : 0;
}

[[noreturn]] void invalidSettings(const QString& settings)
{
    throw RuntimeError(RuntimeError::InvalidPropertyValue,
                       QStringLiteral("Invalid property value: serial settings \"%1\"").arg(Log::Printable(settings)));
}
} // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent)
{
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::takeIn);
    clock_.start();
}

QtSerialPort::~QtSerialPort()
{
    if (port_.isOpen())
        port_.close();
}

QString QtSerialPort::DeviceForPort(int port) const
{
    if (!configFile_.isEmpty()) {
        const QString device = ProfileFile::ReadString(configFile_, QStringLiteral("Ports"), QStringLiteral("COM%1").arg(port),
                                                       QString(), 1024)
                                   .trimmed();
        if (!device.isEmpty())
            return device;
    }
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

QStringList QtSerialPort::PresentDevices() const
{
    return SerialDevices().Present();
}

void QtSerialPort::SetCommPort(int port)
{
    if (port < 1)
        throw RuntimeError(RuntimeError::InvalidPropertyValue, QStringLiteral("Invalid port number %1").arg(port));
    commPort_ = port;
}

void QtSerialPort::SetSettings(const QString& settings)
{
    const QStringList parts = settings.split(QLatin1Char(','));
    if (parts.size() != 4)
        invalidSettings(settings);
    bool ok = false;
    const qint32 baud = parts[0].toInt(&ok);
    if (!ok || baud <= 0)
        invalidSettings(settings);

    QSerialPort::Parity parity;
    const QString p = parts[1].toUpper();
    if (p == QLatin1String("N"))
        parity = QSerialPort::NoParity;
    else if (p == QLatin1String("O"))
        parity = QSerialPort::OddParity;
    else if (p == QLatin1String("E"))
        parity = QSerialPort::EvenParity;
    else if (p == QLatin1String("M"))
        parity = QSerialPort::MarkParity;
    else if (p == QLatin1String("S"))
        parity = QSerialPort::SpaceParity;
    else
        invalidSettings(settings);

    const int data = parts[2].toInt(&ok);
    if (!ok || data < 5 || data > 8)
        invalidSettings(settings);

    QSerialPort::StopBits stop;
    if (parts[3] == QLatin1String("1"))
        stop = QSerialPort::OneStop;
    else if (parts[3] == QLatin1String("1.5"))
        stop = QSerialPort::OneAndHalfStop;
    else if (parts[3] == QLatin1String("2"))
        stop = QSerialPort::TwoStop;
    else
        invalidSettings(settings);

    baud_ = baud;
    parity_ = parity;
    dataBits_ = static_cast<QSerialPort::DataBits>(data);
    stopBits_ = stop;
}

void QtSerialPort::SetInputLen(int)
{
    // Input always returns everything waiting; 0 is the only length the program uses.
}

void QtSerialPort::SetPortOpen(bool open)
{
    if (open) {
        this->open();
    } else if (port_.isOpen()) {
        port_.close();
        Log::Info(QStringLiteral("serial port COM%1 (%2) closed").arg(commPort_).arg(port_.portName()));
    }
}

void QtSerialPort::open()
{
    if (port_.isOpen())
        throw RuntimeError(RuntimeError::PortUnavailable, QStringLiteral("Port already open"));
    const QString device = DeviceForPort(commPort_);
    // QSerialPort takes names without a folder as names below /dev; a full path keeps other devices reachable.
    port_.setPortName(QFileInfo(device).isRelative() ? device : QFileInfo(device).absoluteFilePath());
    port_.setBaudRate(baud_);
    port_.setParity(parity_);
    port_.setDataBits(dataBits_);
    port_.setStopBits(stopBits_);
    // No hardware handshake: modem-line control fails on pseudo-terminals and scanners do not need it.
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite))
        failOpen(port_.error(), device);
    // Bytes that waited in the device before we opened it do not belong to a scan we saw start.
    port_.clear(QSerialPort::AllDirections);
    port_.readAll();
    arrivals_.clear();
    lost_ = false;
}

void QtSerialPort::failOpen(QSerialPort::SerialPortError error, const QString& device)
{
    const QString reason = port_.errorString();
    port_.clearError();
    switch (error) {
    case QSerialPort::PermissionError: {
        const QString group = owningGroup(device);
        if (QFileInfo::exists(device) && !QFileInfo(device).isReadable()) {
            throw RuntimeError(RuntimeError::PermissionDenied,
                               QStringLiteral("Permission denied for %1 (COM%2): the device belongs to group \"%3\"; "
                                              "add the user to that group (sudo usermod -aG %3 $USER) and log in again")
                                   .arg(device)
                                   .arg(commPort_)
                                   .arg(group));
        }
        throw RuntimeError(RuntimeError::PortUnavailable,
                           QStringLiteral("Port already open: %1 (COM%2) is in use (%3)").arg(device).arg(commPort_).arg(reason));
    }
    case QSerialPort::DeviceNotFoundError:
        throw RuntimeError(RuntimeError::PortUnavailable,
                           QStringLiteral("Device not found: %1 (COM%2); choose the device in Options > Settings, or set "
                                          "COM%2 in section [Ports] of %3")
                               .arg(device)
                               .arg(commPort_)
                               .arg(configFile_.isEmpty() ? QStringLiteral("the configuration file") : configFile_));
    default:
        throw RuntimeError(RuntimeError::PortUnavailable,
                           QStringLiteral("Cannot open %1 (COM%2): %3").arg(device).arg(commPort_).arg(reason));
    }
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
        // After a hang-up QSerialPort keeps reporting errors and stays open; the first one ends it.
        if (port_.isOpen()) {
            const QString why = error == QSerialPort::ReadError ? QStringLiteral("read error") : QStringLiteral("the device hung up or was removed");
            Log::Warning(QStringLiteral("serial port COM%1 (%2) lost: %3").arg(commPort_).arg(port_.portName(), why));
            lost_ = true;
            port_.close();
        }
        break;
    case QSerialPort::WriteError:
        if (port_.isOpen())
            Log::Error(QStringLiteral("serial port COM%1 (%2): %3").arg(commPort_).arg(port_.portName(), port_.errorString()));
        break;
    default:
        break;
    }
}

bool QtSerialPort::PortOpen() const
{
    return port_.isOpen();
}

int QtSerialPort::InBufferCount() const
{
    if (!port_.isOpen())
        return 0;
    // What the driver holds counts too: the port reads it only on its next event, and
    // ClearInput discards it as well.
    qsizetype count = port_.bytesAvailable() + driverHolds(port_);
    for (const Arrival& arrival : arrivals_)
        count += arrival.text.size();
    return static_cast<int>(count);
}

void QtSerialPort::ClearInput()
{
    arrivals_.clear();
    if (!port_.isOpen())
        return;
    port_.readAll();
    port_.clear(QSerialPort::Input);
}

void QtSerialPort::takeIn()
{
    const QByteArray bytes = port_.readAll();
    if (!bytes.isEmpty())
        arrivals_.append({QString::fromLatin1(bytes), clock_.elapsed()});
}

QList<SerialPort::Arrival> QtSerialPort::InputArrivals()
{
    if (port_.isOpen()) {
        if (driverHolds(port_) > 0)
            port_.waitForReadyRead(0); // takes in what the driver holds, without waiting
        takeIn();
    }
    return std::exchange(arrivals_, {});
}

void QtSerialPort::Output(const QString& text)
{
    if (!port_.isOpen())
        throw RuntimeError(RuntimeError::PortUnavailable, QStringLiteral("Port is closed"));
    const QByteArray bytes = text.toLatin1();
    if (port_.write(bytes) != bytes.size())
        throw RuntimeError(RuntimeError::DeviceIoError, QStringLiteral("Cannot send to %1: %2").arg(port_.portName(), port_.errorString()));
    port_.flush();
}

QString QtSerialPort::DeviceName() const
{
    return DeviceForPort(commPort_);
}

bool QtSerialPort::DeviceAvailable() const
{
    return SerialDevices::Exists(DeviceName());
}
