#pragma once

#include <QString>
#include <stdexcept>

// A run-time error of the platform: a number and a description, as operators know them from
// the error reports. Numbers that have a meaning elsewhere keep their values (see the constants).
class RuntimeError : public std::runtime_error {
public:
    static constexpr int InvalidArgument = 5;
    static constexpr int FileNotFound = 53;
    static constexpr int DeviceIoError = 57;
    static constexpr int DeviceUnavailable = 68;
    static constexpr int DiskNotReady = 71;
    static constexpr int PathFileAccessError = 75;
    static constexpr int ObjectNotSet = 91;      // no object to call: running without the list manager
    static constexpr int PathNotFound = 76;
    static constexpr int PermissionDenied = 70;
    static constexpr int InvalidPropertyValue = 380; // e.g. a serial settings string that does not parse
    static constexpr int DeviceTimeout = 8002;   // serial port: the device stopped answering
    static constexpr int PortUnavailable = 8005; // serial port: already open, missing or refused

    RuntimeError(int number, const QString& description);

    int Number() const { return number_; }
    const QString& Description() const { return description_; }

    // The error number of the platform for an errno value of a failed file operation.
    static int NumberForErrno(int err);
    static RuntimeError FromErrno(int err, const QString& what);

private:
    int number_;
    QString description_;
};
