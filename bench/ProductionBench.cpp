// The production record's writes and reads, each against plain Qt SQL doing the same in the
// same run: 10,000 line records written through ProductionRecord (Add, then WaitWritten) against
// one prepared INSERT per row in one transaction; a day's report of 10,000 lines through AskNow
// against a plain SELECT of the same rows. The difference is what the record costs around SQLite.
#include "BenchEnvironment.h"
#include "production/ProductionRecord.h"
#include "production/ProductionSchema.h"
#include "production/ProductionSettings.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Records = 10000;
const QDate benchDay(2026, 12, 9);

LineRecord benchLine(int n)
{
    LineRecord record;
    record.uid = QStringLiteral("bench-%1").arg(n);
    record.station = QStringLiteral("BENCH");
    record.scannedAt = QDateTime(benchDay, QTime(6, 0)).addSecs(n);
    record.scanText = QStringLiteral("*PROG%1*A1*%2*600*400*19*").arg(n % 97).arg(n % 12);
    record.program = QStringLiteral("PROG%1").arg(n % 97);
    record.fieldCode = QStringLiteral("A1");
    record.position = n % 12;
    record.sizeX = QStringLiteral("600");
    record.sizeY = QStringLiteral("400");
    record.sizeZ = QStringLiteral("19");
    return record;
}

QString freshFile(const QString& name)
{
    static int count = 0;
    const QString folder = BenchEnvironment::Instance().DriveC() + QStringLiteral("/production");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/%1-%2.sqlite").arg(name).arg(++count);
}

ProductionSettings localOnly()
{
    return ProductionSettings(QString(), QStringLiteral("BENCH"), QString());
}

// The plain reference: a connection with the record's tables and its journal settings.
QSqlDatabase plainDatabase(const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
    db.setDatabaseName(path);
    db.open();
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    int found = 0;
    QSqlError error;
    ProductionSchema::Migrate(db, found, error);
    return db;
}

void closePlain(QSqlDatabase& db)
{
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));
}

void BM_ProductionRecordWrite(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto record = std::make_unique<ProductionRecord>(localOnly(), freshFile(QStringLiteral("write")));
        record->WaitWritten(60000); // the file made and its tables created
        state.ResumeTiming();
        for (int n = 0; n < Records; ++n)
            record->Add(benchLine(n));
        if (!record->WaitWritten(120000))
            state.SkipWithError("not written");
        state.PauseTiming();
        record.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Records);
    state.SetLabel("10,000 lines, Add + WaitWritten");
}

void BM_PlainInsert(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QSqlDatabase db = plainDatabase(freshFile(QStringLiteral("plain")));
        state.ResumeTiming();
        db.transaction();
        {
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral("INSERT INTO lines (uid, station, scanned_at, day, scan_text, program, field_code, "
                                          "position, mirrored, size_x, size_y, size_z, list_file, csv_moved) "
                                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
            for (int n = 0; n < Records; ++n) {
                const LineRecord line = benchLine(n);
                insert.bindValue(0, line.uid);
                insert.bindValue(1, line.station);
                insert.bindValue(2, line.scannedAt.toMSecsSinceEpoch());
                insert.bindValue(3, line.scannedAt.date().toString(QStringLiteral("yyyy-MM-dd")));
                insert.bindValue(4, line.scanText);
                insert.bindValue(5, line.program);
                insert.bindValue(6, line.fieldCode);
                insert.bindValue(7, line.position);
                insert.bindValue(8, 0);
                insert.bindValue(9, line.sizeX);
                insert.bindValue(10, line.sizeY);
                insert.bindValue(11, line.sizeZ);
                insert.bindValue(12, QStringLiteral(""));
                insert.bindValue(13, 0);
                if (!insert.exec())
                    state.SkipWithError("insert failed");
            }
        }
        if (!db.commit())
            state.SkipWithError("commit failed");
        state.PauseTiming();
        closePlain(db);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Records);
    state.SetLabel("10,000 lines, reference");
}

// One file with a day of 10,000 lines, each run once, for both readers.
const QString& reportFile()
{
    static const QString path = [] {
        const QString file = freshFile(QStringLiteral("report"));
        ProductionRecord record(localOnly(), file);
        for (int n = 0; n < Records; ++n) {
            const LineRecord line = benchLine(n);
            record.Add(line);
            LineOutcome run;
            run.uid = QStringLiteral("run-%1").arg(n);
            run.lineUid = line.uid;
            run.outcome = QStringLiteral("done");
            run.startedAt = line.scannedAt.addSecs(60);
            run.endedAt = line.scannedAt.addSecs(150);
            record.Add(run);
        }
        record.WaitWritten(120000);
        return file;
    }();
    return path;
}

void BM_ProductionReportDay(benchmark::State& state)
{
    const QString& file = reportFile();
    ProductionRecord record(localOnly(), file);
    for (auto _ : state) {
        const ReportResult result = record.AskNow({benchDay, benchDay, QString()});
        if (result.rows.size() != Records)
            state.SkipWithError("not one row per line");
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * Records);
    state.SetLabel("a day of 10,000 lines, AskNow");
}

void BM_PlainSelect(benchmark::State& state)
{
    QSqlDatabase db = plainDatabase(reportFile());
    for (auto _ : state) {
        QSqlQuery select(db);
        select.setForwardOnly(true);
        select.prepare(QStringLiteral(
            "SELECT l.station, l.scanned_at, l.scan_text, l.program, l.field_code, l.position, l.mirrored, l.size_x, "
            "l.size_y, l.size_z, l.list_file, l.csv_moved, o.outcome, o.message, o.started_at, o.ended_at, o.hold_ms "
            "FROM lines l LEFT JOIN outcomes o ON o.line_uid = l.uid WHERE l.day >= ? AND l.day <= ? "
            "ORDER BY l.scanned_at, l.uid"));
        select.addBindValue(QStringLiteral("2026-12-09"));
        select.addBindValue(QStringLiteral("2026-12-09"));
        select.exec();
        QList<QVariantList> rows;
        while (select.next()) {
            QVariantList row;
            for (int i = 0; i < 17; ++i)
                row << select.value(i);
            rows << row;
        }
        if (rows.size() != Records)
            state.SkipWithError("not one row per line");
        benchmark::DoNotOptimize(rows);
    }
    closePlain(db);
    state.SetItemsProcessed(state.iterations() * Records);
    state.SetLabel("a day of 10,000 lines, reference");
}

} // namespace

// The writes happen on the record's own thread: the time that counts is the clock's.
BENCHMARK(BM_ProductionRecordWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainInsert)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ProductionReportDay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainSelect)->Unit(benchmark::kMillisecond)->UseRealTime();
