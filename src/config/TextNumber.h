#pragma once

#include <QString>

// Texts read as numbers: the longest leading part that reads as a decimal number counts (leading
// blanks skipped, optional sign, digits, decimal point, exponent), and 0 when there is none.
// "12abc" is 12, " 12" is 12, "abc" is 0, "-1.5e2x" is -150.
class TextNumber {
public:
    static double Value(const QString& text);
    // Where the digits of the text's leading number end (before any exponent); -1 when the text
    // does not begin with a number.
    static qsizetype NumberEnd(const QString& text);
    // The same, as a single-precision number, the width sizes and limits are kept in.
    static float Single(const QString& text);
    // A number written back as text: "." as decimal point, at most 7 significant digits, no
    // blanks, no exponent for everyday sizes (0.5, 600, 23.622).
    static QString Format(float value);
};
