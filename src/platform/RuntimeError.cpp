#include "platform/RuntimeError.h"

#include <cerrno>
#include <cstring>

RuntimeError::RuntimeError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description)
{
}

int RuntimeError::NumberForErrno(int err)
{
    switch (err) {
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
        return PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return PermissionDenied;
    case EIO:
        return DeviceIoError;
    case ENODEV:
    case ENXIO:
        return DeviceUnavailable;
#ifdef ENOMEDIUM
    case ENOMEDIUM:
        return DiskNotReady;
#endif
    case ENOSPC:
        return 61; // disk full
    default:
        return PathFileAccessError;
    }
}

RuntimeError RuntimeError::FromErrno(int err, const QString& what)
{
    return RuntimeError(NumberForErrno(err), what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err)));
}
