#include "program/CsvTransfer.h"

#include "config/Configuration.h"
#include "config/MainView.h"
#include "config/RunState.h"
#include "platform/FileSearch.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"

namespace {
QString baseName(const QString& programName)
{
    if (programName.right(4).toUpper() == QStringLiteral(".CNC"))
        return programName.left(programName.size() - 4);
    return programName;
}
} // namespace

CsvTransfer::CsvTransfer(Configuration& config, const RunState& run, MainView& view)
    : config_(config), run_(run), view_(view)
{
}

QString CsvTransfer::CompanionPath(const QString& programName) const
{
    return (config_.CSVInPath + QLatin1Char('\\') + baseName(programName) + QStringLiteral(".CSV")).trimmed();
}

bool CsvTransfer::TransferCsv(const QString& programName)
{
    const QString name = baseName(programName).trimmed();
    if (!Paths::IsSafeRelativeName(name)) {
        return fail(QStringLiteral("CSV not transferred: program name %1 points outside the CSV folder.").arg(Log::Printable(name)),
                    QStringLiteral("refused CSV companion of %1: the name reaches outside %2").arg(Log::Printable(programName), config_.CSVInPath));
    }
    const QString companion = CompanionPath(programName);
    QString from = Paths::ToNative(companion);
    if (!config_.FileExists(companion, Configuration::Unexpected::Throw)) {
        from = FileSearch::ResolveCase(from);
        if (from == Paths::ToNative(companion))
            return true;
    }

    const QString to = Paths::ToNative(config_.CSVOutPath);
    if (Files::SameFile(from, to))
        return fail(QStringLiteral("CSV not transferred: %1 is the collecting file %2 itself.").arg(companion, config_.CSVOutPath),
                    QStringLiteral("refused to append %1 to itself (%2)").arg(from, to));
    bool sourceFailed = false;
    qint64 appended = 0;
    try {
        appended = Files::AppendFile(from, to, sourceFailed);
    } catch (const RuntimeError& e) {
        if (sourceFailed)
            return fail(QStringLiteral("CSV not transferred: %1 cannot be read.").arg(companion),
                        QStringLiteral("cannot read %1: %2").arg(from, e.Description()));
        return fail(QStringLiteral("CSV not transferred: %1 cannot be written; %2 is kept.").arg(config_.CSVOutPath, companion),
                    QStringLiteral("cannot append %1 to %2: %3").arg(from, to, e.Description()));
    }
    Log::Info(QStringLiteral("appended %1 bytes of %2 to %3").arg(appended).arg(from, to));

    if (run_.HasSwitch(QStringLiteral("KEEPCSV")) || run_.HasSwitch(QStringLiteral("KEEP CSV")))
        return true;
    try {
        Files::Remove(from);
    } catch (const RuntimeError& e) {
        return fail(QStringLiteral("CSV transferred, but %1 could not be deleted.").arg(companion),
                    QStringLiteral("cannot delete %1 after the transfer: %2").arg(from, e.Description()));
    }
    return true;
}

bool CsvTransfer::fail(const QString& status, const QString& detail)
{
    Log::Error(detail);
    view_.SetStatus(status);
    return false;
}
