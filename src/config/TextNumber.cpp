#include "config/TextNumber.h"

#include <QByteArray>

#include <cmath>

namespace {
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the leading number's sign begins, and where its digits end (before any exponent); the
// end is -1 when the text does not begin with a number.
struct Mantissa {
    qsizetype start = 0;
    qsizetype end = -1;
};

Mantissa mantissa(const QByteArray& s)
{
    Mantissa m;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    m.start = i;
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    qsizetype digits = 0;
    for (; i < n && isDigit(s[i]); ++i)
        ++digits;
    if (i < n && s[i] == '.') {
        for (++i; i < n && isDigit(s[i]); ++i)
            ++digits;
    }
    if (digits > 0)
        m.end = i;
    return m;
}
} // namespace

qsizetype TextNumber::NumberEnd(const QString& text)
{
    // Latin-1 keeps one byte per character, so the index holds for the text as well.
    return mantissa(text.toLatin1()).end;
}

double TextNumber::Value(const QString& text)
{
    const QByteArray s = text.toLatin1();
    const qsizetype n = s.size();
    const Mantissa m = mantissa(s);
    if (m.end < 0)
        return 0.0;
    qsizetype end = m.end;
    if (end < n && (s[end] == 'e' || s[end] == 'E')) {
        qsizetype j = end + 1;
        if (j < n && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < n && isDigit(s[j])) {
            while (j < n && isDigit(s[j]))
                ++j;
            end = j;
        }
    }
    const QByteArray number = s.mid(m.start, end - m.start);
    // QByteArray::toDouble reads "." whatever the process locale says.
    const double value = number.toDouble();
    return std::isfinite(value) ? value : 0.0;
}

float TextNumber::Single(const QString& text)
{
    const double v = Value(text);
    if (std::fabs(v) > 3.4e38)
        return 0.0f;
    return static_cast<float>(v);
}

QString TextNumber::Format(float value)
{
    QString text = QString::number(static_cast<double>(value), 'g', 7);
    if (text.contains(QLatin1Char('e'))) {
        // Keep everyday magnitudes in plain notation; only extreme values keep the exponent.
        const double a = std::fabs(static_cast<double>(value));
        if (a >= 1e-4 && a < 1e7) {
            text = QString::number(static_cast<double>(value), 'f', 7);
            while (text.contains(QLatin1Char('.')) && (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
                text.chop(1);
        }
    }
    return text;
}
