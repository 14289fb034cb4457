#include "platform/Log.h"

#include "platform/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {
bool echo = true;

void write(const char* level, const QString& text)
{
    const QByteArray line = (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
                             QLatin1Char(' ') + QLatin1String(level) + QLatin1Char(' ') + text + QLatin1Char('\n'))
                                .toUtf8();
    if (echo) {
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
    }
    const QString path = Log::FilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::Append)) {
        f.write(line);
    } else if (echo) {
        std::fprintf(stderr, "log: cannot write %s\n", qPrintable(path));
    }
}
} // namespace

void Log::Info(const QString& text)
{
    write("INFO", text);
}

void Log::Warning(const QString& text)
{
    write("WARNING", text);
}

void Log::Error(const QString& text)
{
    write("ERROR", text);
}

QString Log::Printable(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x20 && u < 0x7F && u != '\\') || (u >= 0xA0 && u <= 0xFF))
            out += c;
        else if (u == '\\')
            out += QStringLiteral("\\\\");
        else if (u <= 0xFF)
            out += QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            out += QStringLiteral("\\x{%1}").arg(u, 4, 16, QLatin1Char('0'));
    }
    return out;
}

QString Log::FilePath()
{
    return Paths::DataFolder() + QStringLiteral("/tarvex.log");
}

void Log::SetEcho(bool on)
{
    echo = on;
}
