#include "platform/Version.h"

QString Version::Text()
{
    return QString::number(TARVEX_VERSION_MAJOR) + QLatin1Char('.') + QString::number(TARVEX_VERSION_MINOR) +
           QLatin1Char('.') + QString::number(TARVEX_VERSION_PATCH);
}
