#include "config/TextNumber.h"

#include <QByteArray>

#include <cmath>

double TextNumber::Value(const QString& text)
{
    const QByteArray s = text.toLatin1();
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < n && s[j] >= '0' && s[j] <= '9') {
            while (j < n && s[j] >= '0' && s[j] <= '9')
                ++j;
            end = j;
        }
    }
    const QByteArray number = s.mid(start, end - start);
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
