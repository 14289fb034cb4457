#include "config/ScanSuffix.h"

ScanSuffix ScanSuffix::FromValue(const QString& value, bool* known)
{
    const QString word = value.trimmed().toUpper();
    Kind kind = Kind::None;
    if (word == QLatin1String("CR"))
        kind = Kind::CR;
    else if (word == QLatin1String("LF"))
        kind = Kind::LF;
    else if (word == QLatin1String("CRLF"))
        kind = Kind::CRLF;
    else if (word == QLatin1String("TAB"))
        kind = Kind::Tab;
    if (known)
        *known = kind != Kind::None || word.isEmpty();
    return ScanSuffix(kind);
}

QList<ScanSuffix::Kind> ScanSuffix::All()
{
    return {Kind::None, Kind::CR, Kind::LF, Kind::CRLF, Kind::Tab};
}

QString ScanSuffix::Value() const
{
    switch (kind_) {
    case Kind::None:
        break;
    case Kind::CR:
        return QStringLiteral("CR");
    case Kind::LF:
        return QStringLiteral("LF");
    case Kind::CRLF:
        return QStringLiteral("CRLF");
    case Kind::Tab:
        return QStringLiteral("TAB");
    }
    return QString();
}

QString ScanSuffix::Characters() const
{
    switch (kind_) {
    case Kind::None:
        break;
    case Kind::CR:
        return QStringLiteral("\r");
    case Kind::LF:
        return QStringLiteral("\n");
    case Kind::CRLF:
        return QStringLiteral("\r\n");
    case Kind::Tab:
        return QStringLiteral("\t");
    }
    return QString();
}

QString ScanSuffix::Caption() const
{
    switch (kind_) {
    case Kind::None:
        break;
    case Kind::CR:
        return QStringLiteral("CR");
    case Kind::LF:
        return QStringLiteral("LF");
    case Kind::CRLF:
        return QStringLiteral("CR LF");
    case Kind::Tab:
        return QStringLiteral("Tab");
    }
    return QStringLiteral("nothing");
}
