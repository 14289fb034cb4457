#include "program/ProgramHeaderReader.h"

#include "config/Spaces.h"
#include "config/TextNumber.h"
#include "platform/FileSearch.h"
#include "platform/LineReader.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/Paths.h"

#include <cfloat>
#include <cmath>

namespace {

void logEnd(const QString& path, const QString& why)
{
    Log::Warning(QStringLiteral("Program header of %1 not read: %2").arg(path, why));
}
} // namespace

ProgramHeaderReader::ProgramHeaderReader(MessageBoxes& boxes) : boxes_(boxes) {}

void ProgramHeaderReader::ReadProgramHeader(const QString& pathText, float& x, float& y, float& z, QString& comment)
{
    comment.clear();
    const QString path = Spaces::Trim(pathText);
    LineReader reader(FileSearch::ResolveCase(Paths::ToNative(path)));
    if (!reader.Open()) {
        logEnd(path, reader.ErrorString());
        return;
    }
    QString first;
    QString second;
    if (!NextNonBlank(reader, first) || !NextNonBlank(reader, second)) {
        logEnd(path, reader.Failed() ? reader.ErrorString() : QStringLiteral("fewer than two non-blank lines"));
        return;
    }
    if (first.toUpper().contains(QLatin1String("ZEM"))) {
        ReadMakersSizes(reader, path, second, x, y, z, comment);
        return;
    }
    const QString iso = Spaces::Trim(first).toUpper();
    if (iso.startsWith(QLatin1String("G71")) || iso.startsWith(QLatin1String("G70"))) {
        ReadIsoSizes(path, iso, Spaces::Trim(second), x, y, z, comment);
        return;
    }
    // Our reader is closed before the box, so nothing stays open while the operator reads it.
    reader.Close();
    boxes_.Show(path + QStringLiteral(" Not a proper program file"), MessageBoxes::Icon::None,
                MessageBoxes::Buttons::Ok, QString());
}

void ProgramHeaderReader::ReadMakersSizes(LineReader& reader, const QString& path, const QString& second, float& x,
                                          float& y, float& z, QString& comment)
{
    QString line;
    for (;;) {
        if (!NextNonBlank(reader, line)) {
            logEnd(path, reader.Failed() ? reader.ErrorString() : QStringLiteral("no line with \"UN\""));
            return;
        }
        if (line.toUpper().contains(QLatin1String("UN")))
            break;
    }
    parser_.SetSeparators(QStringLiteral(" =\r"));
    parser_.SetText(line);
    x = TextNumber::Single(parser_.Field(3));
    y = TextNumber::Single(parser_.Field(5));
    z = TextNumber::Single(parser_.Field(7));
    comment = second.mid(2);
}

void ProgramHeaderReader::ReadIsoSizes(const QString& path, const QString& first, const QString& second, float& x,
                                       float& y, float& z, QString& comment)
{
    parser_.SetSeparators(QStringLiteral("XYZT"));
    parser_.SetText(first);
    float* sizes[] = {&x, &y, &z};
    for (int i = 0; i < 3; ++i) {
        float value = 0;
        const QString field = parser_.Field(i + 2);
        if (!StrictSingle(field, value)) {
            // Sizes set before the bad field stay; the comment stays empty.
            logEnd(path, QStringLiteral("size field %1 \"%2\" is not a number").arg(i + 2).arg(Log::Printable(field)));
            return;
        }
        *sizes[i] = value;
    }
    parser_.SetSeparators(QStringLiteral("()"));
    parser_.SetText(second);
    comment = parser_.Field(2);
}

bool ProgramHeaderReader::NextNonBlank(LineReader& reader, QString& line)
{
    while (reader.ReadLine(line)) {
        if (!Spaces::Trim(line).isEmpty())
            return true;
    }
    return false;
}

bool ProgramHeaderReader::StrictSingle(const QString& text, float& value)
{
    const QByteArray number = Spaces::Trim(text).toLatin1();
    if (number.isEmpty())
        return false;
    for (const char c : number) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
        if (!allowed)
            return false;
    }
    // Independent of the process locale, unlike strtod.
    bool ok = false;
    const double d = number.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > FLT_MAX)
        return false;
    value = static_cast<float>(d);
    return true;
}
