#include "station/ScanHistoryFile.h"

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "station/ScanHistory.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace {
using Origin = ScanHistory::Origin;
using Mark = ScanHistory::Mark;

const struct {
    Origin origin;
    const char* name;
} origins[] = {{Origin::Scanned, "scanned"}, {Origin::Typed, "typed"},       {Origin::Button, "button"},
               {Origin::Machine, "machine"}, {Origin::Restart, "restart"}};
const struct {
    Mark mark;
    const char* name;
} marks[] = {{Mark::Normal, "normal"}, {Mark::Doubtful, "doubtful"}, {Mark::Refused, "refused"}};

const QString timeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

QJsonObject toJson(const ScanHistory::Entry& entry)
{
    QJsonObject object;
    object.insert(QStringLiteral("time"), entry.time.toString(timeFormat));
    object.insert(QStringLiteral("arrived"), entry.arrived);
    for (const auto& o : origins) {
        if (o.origin == entry.origin)
            object.insert(QStringLiteral("origin"), QLatin1String(o.name));
    }
    object.insert(QStringLiteral("outcomes"), QJsonArray::fromStringList(entry.outcomes));
    object.insert(QStringLiteral("reasons"), QJsonArray::fromStringList(entry.reasons));
    for (const auto& m : marks) {
        if (m.mark == entry.mark)
            object.insert(QStringLiteral("mark"), QLatin1String(m.name));
    }
    return object;
}

// The entry, or nothing when any part of it is missing or not what it must be.
std::optional<ScanHistory::Entry> fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    ScanHistory::Entry entry;
    entry.time = QDateTime::fromString(object.value(QStringLiteral("time")).toString(), timeFormat);
    const QJsonValue arrived = object.value(QStringLiteral("arrived"));
    const QJsonValue outcomes = object.value(QStringLiteral("outcomes"));
    const QJsonValue reasons = object.value(QStringLiteral("reasons"));
    if (!entry.time.isValid() || !arrived.isString() || !outcomes.isArray() || !reasons.isArray())
        return std::nullopt;
    entry.arrived = arrived.toString().left(2 * Log::ExcerptLength);
    const auto texts = [](const QJsonValue& list, QStringList& into) {
        for (const QJsonValue& text : list.toArray()) {
            if (!text.isString())
                return false;
            into << text.toString().left(2 * ScanHistory::MaxOutcomeLength);
        }
        return true;
    };
    if (!texts(outcomes, entry.outcomes) || !texts(reasons, entry.reasons))
        return std::nullopt;
    const QString origin = object.value(QStringLiteral("origin")).toString();
    const QString mark = object.value(QStringLiteral("mark")).toString();
    bool originKnown = false;
    bool markKnown = false;
    for (const auto& o : origins) {
        if (origin == QLatin1String(o.name)) {
            entry.origin = o.origin;
            originKnown = true;
        }
    }
    for (const auto& m : marks) {
        if (mark == QLatin1String(m.name)) {
            entry.mark = m.mark;
            markKnown = true;
        }
    }
    if (!originKnown || !markKnown)
        return std::nullopt;
    return entry;
}
} // namespace

QString ScanHistoryFile::DefaultPath()
{
    return Paths::DataFolder() + QStringLiteral("/scan-history.json");
}

ScanHistoryFile::ScanHistoryFile(ScanHistory& history, QString path, QObject* parent)
    : QObject(parent), history_(history), path_(std::move(path))
{
    delay_.setSingleShot(true);
    delay_.setInterval(WriteDelayMs);
    connect(&delay_, &QTimer::timeout, this, &ScanHistoryFile::write);
}

void ScanHistoryFile::Load()
{
    QList<ScanHistory::Entry> earlier;
    // A missing file is the first start; a link or anything but a regular file in its place is
    // refused before it is read, so a pipe cannot hang the start-up.
    if (QFileInfo(path_).exists() || QFileInfo(path_).isSymLink()) {
        QString damage;
        try {
            QJsonParseError error{};
            const QJsonDocument document =
                QJsonDocument::fromJson(Files::ReadBounded(path_, MaxFileSize, Files::Links::Refuse), &error);
            const QJsonValue entries = document.object().value(QStringLiteral("entries"));
            if (error.error != QJsonParseError::NoError)
                damage = error.errorString();
            else if (!entries.isArray())
                damage = QStringLiteral("it holds no list of entries");
            for (const QJsonValue& value : entries.toArray()) {
                const std::optional<ScanHistory::Entry> entry = fromJson(value);
                if (!entry) {
                    damage = QStringLiteral("entry %1 is damaged").arg(earlier.size() + 1);
                    break;
                }
                if (earlier.size() < ScanHistory::Capacity)
                    earlier << *entry;
            }
        } catch (const RuntimeError& e) {
            damage = e.Description();
        }
        if (!damage.isEmpty()) {
            Log::Warning(QStringLiteral("the scan history %1 is not read back, the history starts empty: %2").arg(path_, damage));
            earlier.clear();
        } else {
            Log::Info(QStringLiteral("scan history: %1 entries read back from %2").arg(earlier.size()).arg(path_));
        }
    }
    history_.Restore(earlier, QDateTime::currentDateTime());
    // Only what this run adds is a change to write: a start with no scan leaves the file alone.
    connect(&history_, &ScanHistory::Changed, this, &ScanHistoryFile::changed);
}

void ScanHistoryFile::changed()
{
    pending_ = true;
    if (!delay_.isActive())
        delay_.start();
}

void ScanHistoryFile::Flush()
{
    delay_.stop();
    if (pending_)
        write();
}

void ScanHistoryFile::write()
{
    pending_ = false;
    QJsonArray entries;
    for (const ScanHistory::Entry& entry : history_.Entries())
        entries.append(toJson(entry));
    QByteArray data = QJsonDocument(QJsonObject{{QStringLiteral("entries"), entries}}).toJson(QJsonDocument::Indented);
    // The oldest go first when the texts would make a file too large to read back.
    while (data.size() > MaxFileSize && !entries.isEmpty()) {
        entries.removeLast();
        data = QJsonDocument(QJsonObject{{QStringLiteral("entries"), entries}}).toJson(QJsonDocument::Indented);
    }
    try {
        Files::WriteAtomically(path_, data);
        failing_ = false;
    } catch (const RuntimeError& e) {
        // Told once until a write succeeds again: a full disk would otherwise fill the log too.
        if (!failing_) {
            Log::Warning(QStringLiteral("scan history not saved to %1: %2").arg(path_, e.Description()));
            Q_EMIT WriteFailed(QStringLiteral("Scan history not saved: %1").arg(e.Description()));
        }
        failing_ = true;
    }
}
