#include "config/ScanSuffix.h"

#include <array>

namespace {
struct Spelling {
    ScanSuffix::Kind kind;
    const char* value;      // in ZEM.INI
    const char* characters; // on the line
    const char* caption;    // in the settings dialog
};

// In the order the settings dialog offers them.
constexpr std::array<Spelling, 5> spellings{{
    {ScanSuffix::Kind::None, "", "", "nothing"},
    {ScanSuffix::Kind::CR, "CR", "\r", "CR"},
    {ScanSuffix::Kind::LF, "LF", "\n", "LF"},
    {ScanSuffix::Kind::CRLF, "CRLF", "\r\n", "CR LF"},
    {ScanSuffix::Kind::Tab, "TAB", "\t", "Tab"},
}};

const Spelling& spellingOf(ScanSuffix::Kind kind)
{
    for (const Spelling& spelling : spellings) {
        if (spelling.kind == kind)
            return spelling;
    }
    return spellings.front();
}
} // namespace

ScanSuffix ScanSuffix::FromValue(const QString& value, bool* known)
{
    const QString word = value.trimmed().toUpper();
    Kind kind = Kind::None;
    for (const Spelling& spelling : spellings) {
        if (word == QLatin1String(spelling.value))
            kind = spelling.kind;
    }
    if (known)
        *known = kind != Kind::None || word.isEmpty();
    return ScanSuffix(kind);
}

QList<ScanSuffix::Kind> ScanSuffix::All()
{
    QList<Kind> kinds;
    for (const Spelling& spelling : spellings)
        kinds << spelling.kind;
    return kinds;
}

QString ScanSuffix::Value() const
{
    return QLatin1String(spellingOf(kind_).value);
}

QString ScanSuffix::Characters() const
{
    return QLatin1String(spellingOf(kind_).characters);
}

QString ScanSuffix::Caption() const
{
    return QLatin1String(spellingOf(kind_).caption);
}
