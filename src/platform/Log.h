#pragma once

#include <QString>

// The program's log: $XDG_DATA_HOME/tarvex/tarvex.log and standard error. One line per record:
// local time, level, text. Scanner bytes that are not printable appear as \xHH.
class Log {
public:
    static void Info(const QString& text);
    static void Warning(const QString& text);
    static void Error(const QString& text);

    // The text with every character outside printable ASCII and Latin-1 letters written as \xHH
    // (code points above 255 as \x{HHHH}), so a record stays on one line. Everything printable,
    // backslashes of Windows paths included, stays as it is.
    static QString Printable(const QString& text);
    // Printable, cut to its first ExcerptLength characters with the whole length said after
    // them, so that a huge scan neither floods the log nor slows what reads it back.
    static QString Excerpt(const QString& text);
    static constexpr qsizetype ExcerptLength = 300;

    static QString FilePath();

    // Standard error echo; tests switch it off to keep their output readable.
    static void SetEcho(bool echo);
};
