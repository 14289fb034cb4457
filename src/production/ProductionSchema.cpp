#include "production/ProductionSchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

// Each entry takes the schema one version further; a new version is one more entry at the end.
// Times are epoch milliseconds; day is the local day of the scan ("yyyy-MM-dd"), which the
// report filters by.
const QList<QStringList>& migrations()
{
    static const QList<QStringList> list = {
        // 1
        {
            QStringLiteral("CREATE TABLE lines (uid TEXT PRIMARY KEY, station TEXT NOT NULL, scanned_at BIGINT NOT NULL, "
                           "day TEXT NOT NULL, scan_text TEXT NOT NULL, program TEXT NOT NULL, field_code TEXT NOT NULL, "
                           "position INTEGER NOT NULL, mirrored INTEGER NOT NULL, size_x TEXT NOT NULL, "
                           "size_y TEXT NOT NULL, size_z TEXT NOT NULL, list_file TEXT NOT NULL, csv_moved INTEGER NOT NULL)"),
            QStringLiteral("CREATE INDEX lines_day ON lines (day, station)"),
            QStringLiteral("CREATE TABLE outcomes (uid TEXT PRIMARY KEY, line_uid TEXT NOT NULL, station TEXT NOT NULL, "
                           "outcome TEXT NOT NULL, message TEXT NOT NULL, started_at BIGINT, ended_at BIGINT, "
                           "hold_ms BIGINT NOT NULL)"),
            QStringLiteral("CREATE INDEX outcomes_line ON outcomes (line_uid)"),
            QStringLiteral("CREATE TABLE refusals (uid TEXT PRIMARY KEY, station TEXT NOT NULL, at BIGINT NOT NULL, "
                           "day TEXT NOT NULL, scan_text TEXT NOT NULL, reason TEXT NOT NULL)"),
            QStringLiteral("CREATE INDEX refusals_day ON refusals (day, station)"),
        },
    };
    return list;
}

// Any number, the same for every station.
constexpr qint64 MigrationLock = 0x7461727665780001;

} // namespace

int ProductionSchema::Version()
{
    return static_cast<int>(migrations().size());
}

ProductionSchema::Result ProductionSchema::Migrate(QSqlDatabase& db, int& found, QSqlError& error)
{
    found = 0;
    QSqlQuery query(db);
    const auto run = [&](const QString& sql) {
        if (query.exec(sql))
            return true;
        error = query.lastError();
        return false;
    };
    const auto fail = [&]() {
        query.finish();
        db.rollback();
        return Result::Failed;
    };
    if (!db.transaction()) {
        error = db.lastError();
        return Result::Failed;
    }
    const bool postgres = db.driverName() == QLatin1String("QPSQL");
    // The stations that start at once take turns here; the one that comes second finds the
    // tables made. Its "already exists" notices say nothing worth a line on standard error.
    if (postgres && (!run(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(MigrationLock))
                     || !run(QStringLiteral("SET LOCAL client_min_messages = warning"))))
        return fail();
    if (!run(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)")))
        return fail();
    if (!run(QStringLiteral("SELECT MAX(version) FROM schema_version")))
        return fail();
    if (query.next())
        found = query.value(0).toInt();
    query.finish();
    if (found > Version()) {
        db.rollback();
        return Result::Newer;
    }
    if (found == Version()) {
        // Nothing to change: the transaction only read.
        if (!db.commit()) {
            error = db.lastError();
            db.rollback();
            return Result::Failed;
        }
        return Result::Ready;
    }
    for (int version = found + 1; version <= Version(); ++version) {
        for (const QString& statement : migrations().at(version - 1)) {
            if (!run(statement))
                return fail();
        }
    }
    if (!run(QStringLiteral("DELETE FROM schema_version"))
            || !run(QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(Version())))
        return fail();
    if (!db.commit()) {
        error = db.lastError();
        db.rollback();
        return Result::Failed;
    }
    return Result::Ready;
}
