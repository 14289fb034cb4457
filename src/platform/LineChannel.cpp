#include "platform/LineChannel.h"

qsizetype LineChannel::Send(const QList<QByteArray>& lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!ControlCharacter(lines[i]).isEmpty())
            return i;
    }
    for (const QByteArray& line : lines)
        write(line);
    return -1;
}

QString LineChannel::ControlCharacter(const QByteArray& line)
{
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return QStringLiteral("\\x") + QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
    }
    return QString();
}
