#include "platform/Log.h"

#include "platform/LogFile.h"
#include "platform/Paths.h"

#include <cstdio>
#include <ctime>

namespace {
bool echo = true;

// Local time as yyyy-MM-ddTHH:mm:ss.zzz.
QByteArray timestamp()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local {};
    ::localtime_r(&now.tv_sec, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03ld", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, now.tv_nsec / 1000000);
    return QByteArray(text);
}

void write(const char* level, const QString& text)
{
    const QByteArray line = timestamp() + ' ' + level + ' ' + text.toUtf8() + '\n';
    if (echo) {
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
    }
    // Never destroyed: records written while the program exits still find it.
    static LogFile* const file = new LogFile;
    file->Write(line, echo);
    // Told once, as a record of its own, so that it is seen where the records are read.
    const QString failure = file->TakeRotationFailure();
    if (!failure.isEmpty())
        write("WARNING", failure);
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
        if ((u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF))
            out += c;
        else if (u <= 0xFF)
            out += QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            out += QStringLiteral("\\x{%1}").arg(u, 4, 16, QLatin1Char('0'));
    }
    return out;
}

QString Log::Excerpt(const QString& text)
{
    if (text.size() <= ExcerptLength)
        return Printable(text);
    return QStringLiteral("%1… (%2 characters)").arg(Printable(text.left(ExcerptLength))).arg(text.size());
}

QString Log::FilePath()
{
    return Paths::DataFolder() + QStringLiteral("/tarvex.log");
}

void Log::SetEcho(bool on)
{
    echo = on;
}
