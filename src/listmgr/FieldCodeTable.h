#pragma once

#include <QString>
#include <QStringList>

// The 36 field codes of the list manager. A code's 1-based position is the number the list line
// carries (field 171); even positions are the mirrored fields (letters M, A, R).
class FieldCodeTable {
public:
    static constexpr int Size = 36;
    static constexpr int NotFound = Size + 1;

    // Letters N M S A T R, each with no suffix, then "1", "/", "1/", "/0" and "/1".
    void InitFieldCodeTable();

    // Exact, case-sensitive.
    bool IsFieldCode(const QString& text) const;
    // The position of the first equal code, NotFound (37) when there is none.
    int Position(const QString& code) const;
    // The code at a 1-based position; empty outside the table.
    QString CodeAt(int position) const;
    // All codes, in table order.
    const QStringList& Codes() const { return codes_; }

private:
    QStringList codes_;
};
