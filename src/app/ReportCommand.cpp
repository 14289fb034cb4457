#include "app/ReportCommand.h"

#include "app/Station.h"
#include "config/Configuration.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "platform/UnattendedMessageBoxes.h"
#include "production/ProductionRecord.h"
#include "production/ProductionReport.h"

namespace {
bool isOption(const QString& argument, const char* name)
{
    return argument.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QDate dayOf(const QString& text)
{
    if (text.compare(QLatin1String("today"), Qt::CaseInsensitive) == 0)
        return QDate::currentDate();
    if (text.compare(QLatin1String("yesterday"), Qt::CaseInsensitive) == 0)
        return QDate::currentDate().addDays(-1);
    return QDate::fromString(text, Qt::ISODate);
}
} // namespace

bool ReportCommand::Asked(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (isOption(arguments[i], "--report"))
            return true;
    return false;
}

ReportCommand::Request ReportCommand::Parse(const QStringList& arguments)
{
    Request request;
    QString days;
    bool daysGiven = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool last = i + 1 >= arguments.size();
        if (isOption(argument, "--report")) {
            if (last) {
                request.error = QStringLiteral("--report needs a day (2026-12-09) or a range (2026-12-01..2026-12-09)");
                return request;
            }
            days = arguments[++i];
            daysGiven = true;
        } else if (isOption(argument, "--station")) {
            if (last) {
                request.error = QStringLiteral("--station needs the name of a station");
                return request;
            }
            request.station = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--")) || dayOf(argument).isValid()) {
            // A second day on its own would otherwise be left out without a word.
            request.error = argument.startsWith(QLatin1String("--"))
                                ? QStringLiteral("%1 is not known with --report").arg(argument)
                                : QStringLiteral("%1: give a range as FROM..TO (2026-12-01..2026-12-09)").arg(argument);
            return request;
        }
        // The station's switches (UNATTENDED, NOAPP, …) mean nothing to a report.
    }
    if (!daysGiven) {
        request.error = QStringLiteral("--report needs a day (2026-12-09) or a range (2026-12-01..2026-12-09)");
        return request;
    }
    const qsizetype dots = days.indexOf(QLatin1String(".."));
    const QString fromText = dots < 0 ? days : days.left(dots);
    const QString toText = dots < 0 ? days : days.mid(dots + 2);
    request.from = dayOf(fromText);
    request.to = dayOf(toText);
    if (!request.from.isValid() || !request.to.isValid())
        request.error = QStringLiteral("\"%1\" is not a day (2026-12-09, today, yesterday) or a range of days (2026-12-01..2026-12-09)").arg(days);
    else if (request.from > request.to)
        request.error = QStringLiteral("the range %1 ends before it starts").arg(days);
    else if (request.from.daysTo(request.to) + 1 > MaxDays)
        request.error = QStringLiteral("the range %1 is longer than %2 days: ask for it in parts").arg(days).arg(MaxDays);
    return request;
}

int ReportCommand::Run(const QStringList& arguments, std::FILE* out, std::FILE* err)
{
    const Request request = Parse(arguments);
    const auto say = [err](const QString& text) { std::fputs((QStringLiteral("tarvex: ") + text + QLatin1Char('\n')).toLocal8Bit().constData(), err); };
    if (!request.error.isEmpty()) {
        say(request.error);
        return 2;
    }
    // ZEM.INI where the station finds it; without one, the local record with default settings.
    UnattendedMessageBoxes boxes;
    Configuration config(boxes);
    for (const QString& candidate : {Paths::ProgramFolder(), Paths::WindowsDirectory()}) {
        const QString path = candidate + QLatin1Char('\\') + Configuration::FileName;
        try {
            if (config.FileExists(path, Configuration::Unexpected::Throw)) {
                config.IniFilePath = path;
                break;
            }
        } catch (const RuntimeError& e) {
            say(QStringLiteral("%1 cannot be looked for (error %2: %3)").arg(Paths::ToNative(path)).arg(e.Number()).arg(e.Description()));
        }
    }
    const ProductionSettings settings = Station::ProductionSettingsOf(config);
    if (!settings.Problem().isEmpty())
        say(settings.Problem());
    ReportResult result;
    {
        ProductionRecord record(settings, ProductionSettings::DefaultLocalPath(), nullptr, ProductionRecord::Access::ReadOnly);
        result = record.AskNow({request.from, request.to, request.station});
    }
    const QByteArray csv = ProductionReport::Csv(result.rows).toUtf8();
    const bool written = std::fwrite(csv.constData(), 1, static_cast<size_t>(csv.size()), out) == static_cast<size_t>(csv.size()) &&
                         std::fflush(out) == 0;
    if (!written) {
        say(QStringLiteral("the report could not be written to standard output"));
        return 1;
    }
    if (!result.problem.isEmpty()) {
        say(result.problem);
        return 1;
    }
    return 0;
}
