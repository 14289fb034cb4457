#include "scanner/ScanEscapes.h"

namespace {
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

QByteArray ScanEscapes::Decode(const QByteArray& line)
{
    QByteArray out;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c != '\\' || i + 1 >= line.size()) {
            out += c;
            continue;
        }
        const char next = line[i + 1];
        if (next == '\\') {
            out += '\\';
            ++i;
        } else if (next == 'r') {
            out += '\r';
            ++i;
        } else if (next == 'n') {
            out += '\n';
            ++i;
        } else if (next == 'x' && i + 3 < line.size() && hexValue(line[i + 2]) >= 0 && hexValue(line[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(line[i + 2]) * 16 + hexValue(line[i + 3]));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray ScanEscapes::Encode(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (u >= 0x20 && u < 0x7F)
            out += c;
        else
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
    }
    return out;
}
