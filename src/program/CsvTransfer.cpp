#include "program/CsvTransfer.h"

#include "config/Configuration.h"
#include "platform/Files.h"
#include "platform/FileSearch.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "station/RunState.h"
#include "station/StationState.h"

#include <QFile>

#include <algorithm>

namespace {
QString baseName(const QString& programName)
{
    if (programName.right(4).toUpper() == QStringLiteral(".CNC"))
        return programName.left(programName.size() - 4);
    return programName;
}
} // namespace

CsvTransfer::CsvTransfer(Configuration& config, const RunState& run, StationState& state)
    : config_(config), run_(run), state_(state)
{
}

QString CsvTransfer::CompanionPath(const QString& programName) const
{
    return (config_.CSVInPath + QLatin1Char('\\') + baseName(programName) + QStringLiteral(".CSV")).trimmed();
}

bool CsvTransfer::TransferCsv(const QString& programName)
{
    lastProgram_ = programName;
    moved_ = false;
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
    const QString record = PendingRecordPath();
    try {
        Files::WriteAtomically(record, QByteArray::number(std::max<qint64>(Files::Size(to), 0)) + '\n' +
                                           QFile::encodeName(to) + '\n');
    } catch (const RuntimeError& e) {
        return fail(QStringLiteral("CSV not transferred: the transfer record %1 cannot be written; %2 is kept.").arg(record, companion),
                    QStringLiteral("cannot record the CSV transfer of %1 in %2: %3").arg(from, record, e.Description()));
    }
    bool sourceFailed = false;
    qint64 appended = 0;
    try {
        appended = Files::AppendFile(from, to, sourceFailed);
    } catch (const RuntimeError& e) {
        // The append took back what it had written: nothing is left to cut at the next start.
        try {
            Files::Remove(record);
        } catch (const RuntimeError& removal) {
            Log::Error(QStringLiteral("cannot remove the CSV transfer record: %1").arg(removal.Description()));
        }
        if (sourceFailed)
            return fail(QStringLiteral("CSV not transferred: %1 cannot be read.").arg(companion),
                        QStringLiteral("cannot read %1: %2").arg(from, e.Description()));
        return fail(QStringLiteral("CSV not transferred: %1 cannot be written; %2 is kept.").arg(config_.CSVOutPath, companion),
                    QStringLiteral("cannot append %1 to %2: %3").arg(from, to, e.Description()));
    }
    Log::Info(QStringLiteral("appended %1 bytes of %2 to %3").arg(appended).arg(from, to));
    try {
        Files::Remove(record);
    } catch (const RuntimeError& e) {
        // Left in place, the record would cut this whole transfer at the next start: the
        // companion must then still be there.
        return fail(QStringLiteral("CSV transferred, but the transfer record %1 could not be removed; %2 is kept.").arg(record, companion),
                    QStringLiteral("cannot remove the CSV transfer record %1: %2").arg(record, e.Description()));
    }
    moved_ = true; // the collecting file has it for good, whatever becomes of the companion

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

QString CsvTransfer::PendingRecordPath()
{
    return Paths::DataFolder() + QStringLiteral("/csv-transfer.pending");
}

void CsvTransfer::RecoverInterruptedTransfer()
{
    const QString record = PendingRecordPath();
    QByteArray content;
    try {
        content = Files::ReadBounded(record, 64 * 1024, Files::Links::Refuse);
    } catch (const RuntimeError& e) {
        if (e.Number() != RuntimeError::FileNotFound)
            Log::Error(QStringLiteral("the CSV transfer record cannot be read: %1").arg(e.Description()));
        return;
    }
    // "<size before>\n<collecting file>\n"
    const qsizetype split = content.indexOf('\n');
    bool ok = false;
    const qint64 before = split > 0 ? content.left(split).toLongLong(&ok) : -1;
    QByteArray path = split > 0 ? content.mid(split + 1) : QByteArray();
    if (path.endsWith('\n'))
        path.chop(1);
    const QString collecting = QFile::decodeName(path);
    if (!ok || before < 0 || collecting.isEmpty()) {
        Log::Error(QStringLiteral("the CSV transfer record %1 makes no sense; nothing is cut back").arg(record));
    } else {
        const qint64 now = Files::Size(collecting);
        if (now > before) {
            try {
                Files::Truncate(collecting, before);
                Log::Warning(QStringLiteral("a CSV transfer did not finish: %1 cut back from %2 to %3 bytes, where that transfer "
                                            "began; its companion is kept")
                                 .arg(collecting)
                                 .arg(now)
                                 .arg(before));
            } catch (const RuntimeError& e) {
                // The record stays, so the next start tries again.
                Log::Error(QStringLiteral("a CSV transfer did not finish, and %1 cannot be cut back to %2 bytes: %3")
                               .arg(collecting)
                               .arg(before)
                               .arg(e.Description()));
                return;
            }
        } else {
            Log::Info(QStringLiteral("a CSV transfer did not finish before anything reached %1").arg(collecting));
        }
    }
    try {
        Files::Remove(record);
    } catch (const RuntimeError& e) {
        Log::Error(QStringLiteral("cannot remove the CSV transfer record: %1").arg(e.Description()));
    }
}

bool CsvTransfer::fail(const QString& status, const QString& detail)
{
    Log::Error(detail);
    state_.SetStatus(status);
    return false;
}
