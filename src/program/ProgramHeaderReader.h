#pragma once

#include "platform/FieldParser.h"

#include <QString>

class LineReader;
class MessageBoxes;

// `ReadProgramHeader`: the sizes and the comment of a program from the first lines of its file.
// Two dialects: the maker's format ("ZEM" in the first line, sizes on the first later line
// holding "UN") and ISO-style programs (first line "G71" or "G70" with X, Y, Z). Only the lines
// needed are read, so a large program costs no more than a small one.
class ProgramHeaderReader {
public:
    explicit ProgramHeaderReader(MessageBoxes& boxes);

    // path is a Windows path text (GCodePath + program name); leading and trailing spaces are
    // removed. The sizes keep their values when the file gives none; comment is set to the
    // comment read, or to empty. A file of another kind is reported with a message box; a
    // missing or short file only in the log.
    void ReadProgramHeader(const QString& path, float& x, float& y, float& z, QString& comment);

    // The strict conversion of ISO sizes: the whole text, spaces around allowed, must be a
    // decimal number that fits a single-precision number.
    static bool StrictSingle(const QString& text, float& value);

private:
    static bool NextNonBlank(LineReader& reader, QString& line);
    void ReadMakersSizes(LineReader& reader, const QString& path, const QString& second, float& x, float& y,
                         float& z, QString& comment);
    void ReadIsoSizes(const QString& path, const QString& first, const QString& second, float& x, float& y,
                      float& z, QString& comment);

    MessageBoxes& boxes_;
    FieldParser parser_;
};
