#include "listmgr/FieldCodeTable.h"

void FieldCodeTable::InitFieldCodeTable()
{
    static const char* const suffixes[] = {"", "1", "/", "1/", "/0", "/1"};
    static const char letters[] = {'N', 'M', 'S', 'A', 'T', 'R'};
    codes_.clear();
    for (const char* suffix : suffixes) {
        for (char letter : letters)
            codes_ << QLatin1Char(letter) + QLatin1String(suffix);
    }
}

bool FieldCodeTable::IsFieldCode(const QString& text) const
{
    return codes_.contains(text);
}

int FieldCodeTable::Position(const QString& code) const
{
    const qsizetype i = codes_.indexOf(code);
    return i < 0 ? NotFound : static_cast<int>(i) + 1;
}

QString FieldCodeTable::CodeAt(int position) const
{
    if (position < 1 || position > codes_.size())
        return QString();
    return codes_[position - 1];
}
