#include "production/ProductionStore.h"

#include "platform/Files.h"
#include "platform/Log.h"
#include "production/ProductionSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimeZone>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// The three kinds of record: their table and columns, in the order RecordValues gives them.
struct Table {
    const char* name;
    const char* columns;
    int count;
};

const Table tables[] = {
    {"lines", "uid, station, scanned_at, day, scan_text, program, field_code, position, mirrored, size_x, size_y, "
              "size_z, list_file, csv_moved", 14},
    {"outcomes", "uid, line_uid, station, outcome, message, started_at, ended_at, hold_ms", 8},
    {"refusals", "uid, station, at, day, scan_text, reason", 6},
};

QString insertSql(const Table& table)
{
    QStringList marks;
    for (int i = 0; i < table.count; ++i)
        marks << QStringLiteral("?");
    // A record sent twice (a crash between sending and marking it sent) is kept once.
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (uid) DO NOTHING")
        .arg(QLatin1String(table.name), QLatin1String(table.columns), marks.join(QLatin1Char(',')));
}

// Qt SQL binds a null QString as NULL; the text columns are NOT NULL. PostgreSQL takes no NUL in
// a text, and one would stop the outbox for good: a scan or a machine may send one, so it is
// kept as the log writes it, \x00, on both engines alike.
QVariant text(const QString& value)
{
    if (value.isNull())
        return QVariant(QStringLiteral(""));
    if (!value.contains(QChar(0)))
        return QVariant(value);
    QString kept = value;
    return QVariant(kept.replace(QChar(0), QStringLiteral("\\x00")));
}

QVariant millis(const QDateTime& time)
{
    return time.isValid() ? QVariant(time.toMSecsSinceEpoch()) : QVariant(QMetaType::fromType<qlonglong>());
}

// Local time as the system's time zone: Qt reads its rules once, where a conversion to
// Qt::LocalTime asks the C library, which examines /etc/localtime again for every value.
const QTimeZone& localZone()
{
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return zone;
}

QString dayOf(const QDateTime& time)
{
    return time.toTimeZone(localZone()).date().toString(QStringLiteral("yyyy-MM-dd"));
}

QDateTime timeOf(const QVariant& value)
{
    return value.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(value.toLongLong(), localZone());
}

int kindOf(const ProductionEntry& entry)
{
    return static_cast<int>(entry.index());
}

QString uidOf(const ProductionEntry& entry)
{
    return std::visit([](const auto& record) { return record.uid; }, entry);
}

QVariantList recordValues(const ProductionEntry& entry)
{
    if (const auto* line = std::get_if<LineRecord>(&entry)) {
        return {text(line->uid), text(line->station), millis(line->scannedAt), dayOf(line->scannedAt),
                text(line->scanText), text(line->program), text(line->fieldCode), line->position,
                line->mirrored ? 1 : 0, text(line->sizeX), text(line->sizeY), text(line->sizeZ),
                text(line->listFile), line->csvMoved ? 1 : 0};
    }
    if (const auto* outcome = std::get_if<LineOutcome>(&entry)) {
        return {text(outcome->uid), text(outcome->lineUid), text(outcome->station), text(outcome->outcome),
                text(outcome->message), millis(outcome->startedAt), millis(outcome->endedAt), outcome->holdMs};
    }
    const auto& refusal = std::get<RefusalRecord>(entry);
    return {text(refusal.uid), text(refusal.station), millis(refusal.at), dayOf(refusal.at),
            text(refusal.scanText), text(refusal.reason)};
}

// SQLite's result codes for a file that is not a database, or one whose pages are damaged.
bool isDamage(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == 11 || code == 26);
}

// libpq's words for a server that is not there, as against one that answers and refuses.
bool isUnreachable(const QString& error)
{
    static const char* const words[] = {"could not connect", "Connection refused", "timeout expired",
                                        "could not translate host name", "No route to host",
                                        "Network is unreachable", "server closed the connection",
                                        "no connection to the server", "terminating connection",
                                        "the database system is starting up", "the database system is shutting down"};
    return std::any_of(std::begin(words), std::end(words),
                       [&error](const char* word) { return error.contains(QLatin1String(word), Qt::CaseInsensitive); });
}

// A driver's or server's error text, on one line and printable: it comes from outside and goes
// to the status line and the log.
QString oneLine(const QString& text)
{
    return Log::Printable(text.simplified());
}

} // namespace

ProductionStore::ProductionStore(const ProductionSettings& settings, const QString& localPath, bool readOnly)
    : settings_(settings)
    , localPath_(localPath)
    , readOnly_(readOnly)
    , startedMs_(QDateTime::currentMSecsSinceEpoch())
    , localName_(QStringLiteral("production-local-%1").arg(reinterpret_cast<quintptr>(this)))
    , serverName_(QStringLiteral("production-server-%1").arg(reinterpret_cast<quintptr>(this)))
{
}

ProductionStore::~ProductionStore() = default;

QSqlDatabase ProductionStore::LocalDb() const
{
    return QSqlDatabase::database(localName_, false);
}

QSqlDatabase ProductionStore::ServerDb() const
{
    return QSqlDatabase::database(serverName_, false);
}

void ProductionStore::Open()
{
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, &ProductionStore::Retry);

    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), localName_).setDatabaseName(localPath_);
    if (!settings_.Problem().isEmpty())
        Report(Settings, QStringLiteral("Production record: %1").arg(settings_.Problem()));
    if (settings_.UsesServer()) {
        QSqlDatabase server = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), serverName_);
        server.setHostName(settings_.Host());
        server.setPort(settings_.Port());
        server.setDatabaseName(settings_.DatabaseName());
        server.setUserName(settings_.User());
        server.setPassword(settings_.Password());
        // An unreachable server is given up on after a few seconds, and tried again later.
        server.setConnectOptions(QStringLiteral("connect_timeout=3"));
    }
    if (readOnly_) {
        LocalDb().setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        opened_ = true;
        return;
    }
    if (OpenLocal() && settings_.UsesServer() && unsent_.load() > 0)
        Send();
    opened_ = true;
}

bool ProductionStore::OpenLocal()
{
    if (localOpen_)
        return true;
    QString folder;
    if (!Files::MakeFolderOf(localPath_, folder)) {
        Report(Local, QStringLiteral("Production record: cannot create the folder %1; records wait in memory (at most %2)")
                          .arg(folder).arg(MaxWaiting));
        return false;
    }
    // Only a regular file is opened: a pipe would hang the writer, a link to a device would feed
    // it nonsense. Whatever else is there is moved aside and a new file started.
    struct stat st {};
    if (::lstat(QFile::encodeName(localPath_).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (!MoveAside(QStringLiteral("not a regular file")))
            return false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString error;
        bool damaged = false;
        if (PrepareLocal(error, damaged)) {
            localOpen_ = true;
            return true;
        }
        CloseLocal();
        if (!damaged || attempt > 0 || !MoveAside(error))
            break;
    }
    return false;
}

bool ProductionStore::PrepareLocal(QString& error, bool& damaged)
{
    QSqlDatabase db = LocalDb();
    if (!db.open()) {
        error = db.lastError().text();
        damaged = isDamage(db.lastError());
        if (!damaged)
            Report(Local, QStringLiteral("Production record: cannot open %1 (%2); records wait in memory (at most %3)")
                              .arg(localPath_, oneLine(error)).arg(MaxWaiting));
        return false;
    }
    {
        QSqlQuery query(db);
        // The write-ahead log: a crash never damages the file, and a commit does not wait for the disk.
        for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"}) {
            if (!query.exec(QLatin1String(pragma))) {
                error = query.lastError().text();
                damaged = isDamage(query.lastError());
                if (!damaged)
                    Report(Local, QStringLiteral("Production record: cannot use %1 (%2); records wait in memory (at most %3)")
                                      .arg(localPath_, oneLine(error)).arg(MaxWaiting));
                return false;
            }
        }
    }
    int found = 0;
    QSqlError migration;
    switch (ProductionSchema::Migrate(db, found, migration)) {
    case ProductionSchema::Result::Ready:
        break;
    case ProductionSchema::Result::Newer:
        Report(Local, QStringLiteral("Production record: %1 is of a newer version (%2) than this Tarvex knows (%3); "
                                     "nothing is written to it, records wait in memory (at most %4)")
                          .arg(localPath_).arg(found).arg(ProductionSchema::Version()).arg(MaxWaiting));
        return false;
    case ProductionSchema::Result::Failed:
        error = migration.text();
        damaged = isDamage(migration);
        if (!damaged)
            Report(Local, QStringLiteral("Production record: cannot prepare %1 (%2); records wait in memory (at most %3)")
                              .arg(localPath_, oneLine(error)).arg(MaxWaiting));
        return false;
    }
    // The outbox is this station's own: what waits to be sent to the server, in order.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS outbox (seq INTEGER PRIMARY KEY AUTOINCREMENT, "
                                   "kind INTEGER NOT NULL, uid TEXT NOT NULL)"))
            || !query.exec(QStringLiteral("SELECT COUNT(*) FROM outbox")) || !query.next()) {
        error = query.lastError().text();
        damaged = isDamage(query.lastError());
        if (!damaged)
            Report(Local, QStringLiteral("Production record: cannot prepare %1 (%2); records wait in memory (at most %3)")
                              .arg(localPath_, oneLine(error)).arg(MaxWaiting));
        return false;
    }
    unsent_ = query.value(0).toLongLong();
    return true;
}

void ProductionStore::CloseLocal()
{
    LocalDb().close();
    localOpen_ = false;
}

bool ProductionStore::MoveAside(const QString& why)
{
    CloseLocal();
    const QFileInfo info(localPath_);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = info.absolutePath() + QStringLiteral("/production-damaged-%1.sqlite").arg(stamp);
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = info.absolutePath() + QStringLiteral("/production-damaged-%1-%2.sqlite").arg(stamp).arg(n);
    if (::rename(QFile::encodeName(localPath_).constData(), QFile::encodeName(aside).constData()) != 0) {
        Report(Local, QStringLiteral("Production record: %1 is damaged (%2) and cannot be moved aside (%3); "
                                     "records wait in memory (at most %4)")
                          .arg(localPath_, oneLine(why), QString::fromLocal8Bit(std::strerror(errno))).arg(MaxWaiting));
        return false;
    }
    // Its journals belong to it: left here, they would be played into the new file.
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const QString from = localPath_ + QLatin1String(suffix);
        if (QFileInfo::exists(from) || QFileInfo(from).isSymLink())
            ::rename(QFile::encodeName(from).constData(), QFile::encodeName(aside + QLatin1String(suffix)).constData());
    }
    // Told once: the new file is started at once, so there is nothing to wait for.
    const QString message = QStringLiteral("Production record: %1 was damaged (%2); moved aside as %3 and a new one started")
                                .arg(localPath_, oneLine(why), aside);
    Log::Error(message);
    Q_EMIT Trouble(message);
    return true;
}

void ProductionStore::Write(QList<ProductionEntry> batch)
{
    const qsizetype room = std::max<qsizetype>(0, MaxWaiting - waiting_.size());
    if (batch.size() > room) {
        const qsizetype lost = batch.size() - room;
        if (dropped_ == 0)
            Log::Error(QStringLiteral("Production record: %1 records wait in memory, the most kept; newer ones are lost until %2 can be written")
                           .arg(MaxWaiting).arg(localPath_));
        dropped_ += lost;
        batch.resize(room);
        settled_ += lost;
    }
    waiting_.append(std::move(batch));
    WriteWaiting();
    // While the server is in trouble only the retry tries it, every few seconds.
    if (settings_.UsesServer() && troubles_[Server].isEmpty())
        Send();
}

bool ProductionStore::WriteWaiting()
{
    if (waiting_.isEmpty())
        return true;
    if (!OpenLocal()) {
        RetryLater();
        return false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString error;
        bool damaged = false;
        qint64 queued = 0;
        if (WriteEntries(error, damaged, queued)) {
            const qint64 written = waiting_.size();
            waiting_.clear();
            unsent_ += queued; // before settled_: a waiter that sees the records written sees them unsent
            settled_ += written;
            if (dropped_ > 0) {
                Log::Error(QStringLiteral("Production record: %1 records were lost while %2 could not be written")
                               .arg(dropped_).arg(localPath_));
                dropped_ = 0;
            }
            Clear(Local, QStringLiteral("Production record: %1 is written again").arg(localPath_));
            return true;
        }
        if (!damaged) {
            Report(Local, QStringLiteral("Production record: cannot write %1 (%2); records wait in memory (at most %3)")
                              .arg(localPath_, oneLine(error)).arg(MaxWaiting));
            break;
        }
        if (attempt > 0 || !MoveAside(error) || !OpenLocal())
            break;
    }
    RetryLater();
    return false;
}

bool ProductionStore::WriteEntries(QString& error, bool& damaged, qint64& queued)
{
    QSqlDatabase db = LocalDb();
    const auto failed = [&](const QSqlError& sqlError) {
        error = sqlError.text();
        damaged = isDamage(sqlError);
        return false;
    };
    if (!db.transaction())
        return failed(db.lastError());
    bool ok = true;
    {
        QSqlQuery inserts[3] = {QSqlQuery(db), QSqlQuery(db), QSqlQuery(db)};
        QSqlQuery outbox(db);
        for (int kind = 0; kind < 3 && ok; ++kind)
            ok = inserts[kind].prepare(insertSql(tables[kind])) || failed(inserts[kind].lastError());
        const bool toServer = settings_.UsesServer();
        if (ok && toServer)
            ok = outbox.prepare(QStringLiteral("INSERT INTO outbox (kind, uid) VALUES (?, ?)")) || failed(outbox.lastError());
        QSqlQuery earlier(db);
        ok = earlier.prepare(QStringLiteral(
                 "SELECT uid FROM lines l WHERE station = ? AND program = ? AND position = ? AND mirrored = ? "
                 "AND size_x = ? AND size_y = ? AND size_z = ? AND scanned_at < ? "
                 "AND NOT EXISTS (SELECT 1 FROM outcomes o WHERE o.line_uid = l.uid) ORDER BY scanned_at DESC")) ||
             failed(earlier.lastError());
        for (const ProductionEntry& waiting : waiting_) {
            if (!ok)
                break;
            ProductionEntry entry = waiting;
            if (const auto* line = std::get_if<LineRecord>(&entry); line && line->carriedOver) {
                QString joined;
                if (!joinEarlier(earlier, *line, joined)) {
                    ok = failed(earlier.lastError());
                    break;
                }
                if (!joined.isEmpty())
                    continue; // its outcomes go to the earlier record
            }
            if (auto* outcome = std::get_if<LineOutcome>(&entry))
                outcome->lineUid = joined_.value(outcome->lineUid, outcome->lineUid);
            QSqlQuery& insert = inserts[kindOf(entry)];
            const QVariantList values = recordValues(entry);
            for (int i = 0; i < values.size(); ++i)
                insert.bindValue(i, values.at(i));
            if (!insert.exec()) {
                ok = failed(insert.lastError());
                break;
            }
            // A record already there (the same uid added twice) is sent once.
            if (toServer && insert.numRowsAffected() == 1) {
                outbox.bindValue(0, kindOf(entry));
                outbox.bindValue(1, uidOf(entry));
                if (!outbox.exec())
                    ok = failed(outbox.lastError());
                else
                    ++queued;
            }
        }
    }
    if (ok && !db.commit())
        ok = failed(db.lastError());
    if (!ok) {
        db.rollback();
        queued = 0;
    }
    return ok;
}

bool ProductionStore::joinEarlier(QSqlQuery& earlier, const LineRecord& line, QString& joined)
{
    // Tried again after a failed write: the same line keeps the record it was joined to.
    joined = joined_.value(line.uid);
    if (!joined.isEmpty())
        return true;
    // Only a record of an earlier run: none made since this one started.
    const QVariantList keys{text(line.station), text(line.program), line.position, line.mirrored ? 1 : 0,
                            text(line.sizeX), text(line.sizeY), text(line.sizeZ), startedMs_};
    for (int i = 0; i < keys.size(); ++i)
        earlier.bindValue(i, keys.at(i));
    if (!earlier.exec())
        return false;
    // Two equal lines carried over are two records: one taken already is not taken again.
    const QList<QString> taken = joined_.values();
    while (earlier.next()) {
        const QString uid = earlier.value(0).toString();
        if (!taken.contains(uid)) {
            joined = uid;
            joined_.insert(line.uid, uid);
            break;
        }
    }
    earlier.finish();
    return true;
}

bool ProductionStore::ConnectServer()
{
    if (serverOpen_)
        return true;
    QSqlDatabase db = ServerDb();
    if (!db.open()) {
        ServerFailed(db.lastError().text());
        return false;
    }
    int found = 0;
    QSqlError error;
    switch (ProductionSchema::Migrate(db, found, error)) {
    case ProductionSchema::Result::Ready:
        serverOpen_ = true;
        return true;
    case ProductionSchema::Result::Newer:
        db.close();
        serverFault_ = QStringLiteral("is of a newer version (%1) than this Tarvex knows (%2)").arg(found).arg(ProductionSchema::Version());
        Report(Server, QStringLiteral("Production record: PostgreSQL %1 %2; nothing is sent to it, records wait on this station")
                           .arg(settings_.ServerName(), serverFault_));
        RetryLater();
        return false;
    case ProductionSchema::Result::Failed:
        break;
    }
    ServerFailed(error.text());
    return false;
}

void ProductionStore::ServerFailed(const QString& error)
{
    ServerDb().close();
    serverOpen_ = false;
    const QString how = isUnreachable(error) ? QStringLiteral("cannot be reached") : QStringLiteral("refuses the records");
    serverFault_ = QStringLiteral("%1 (%2)").arg(how, oneLine(error));
    Report(Server, QStringLiteral("Production record: PostgreSQL %1 %2; records wait on this station")
                       .arg(settings_.ServerName(), serverFault_));
    RetryLater();
}

bool ProductionStore::Send()
{
    if (!settings_.UsesServer())
        return true;
    if (!OpenLocal())
        return false;
    while (unsent_.load() > 0) {
        if (!ConnectServer())
            return false;
        QString error;
        bool serverSide = true;
        if (!SendBatch(error, serverSide)) {
            if (serverSide) {
                ServerFailed(error);
            } else {
                Report(Local, QStringLiteral("Production record: cannot read the outbox of %1 (%2)").arg(localPath_, oneLine(error)));
                RetryLater();
            }
            return false;
        }
    }
    Clear(Server, QStringLiteral("Production record: PostgreSQL %1 reached again; the waiting records are sent")
                      .arg(settings_.ServerName()));
    return true;
}

bool ProductionStore::SendBatch(QString& error, bool& serverSide)
{
    QSqlDatabase local = LocalDb();
    QSqlDatabase server = ServerDb();
    struct Waiting {
        qint64 seq;
        int kind;
        QString uid;
    };
    QList<Waiting> batch;
    {
        QSqlQuery query(local);
        if (!query.exec(QStringLiteral("SELECT seq, kind, uid FROM outbox ORDER BY seq LIMIT %1").arg(SendBatchSize))) {
            serverSide = false;
            error = query.lastError().text();
            return false;
        }
        while (query.next())
            batch.append({query.value(0).toLongLong(), query.value(1).toInt(), query.value(2).toString()});
    }
    if (batch.isEmpty()) {
        unsent_ = 0;
        return true;
    }
    if (!server.transaction()) {
        error = server.lastError().text();
        return false;
    }
    bool ok = true;
    {
        QSqlQuery reads[3] = {QSqlQuery(local), QSqlQuery(local), QSqlQuery(local)};
        QSqlQuery inserts[3] = {QSqlQuery(server), QSqlQuery(server), QSqlQuery(server)};
        for (int kind = 0; kind < 3 && ok; ++kind) {
            if (!reads[kind].prepare(QStringLiteral("SELECT %1 FROM %2 WHERE uid = ?")
                                         .arg(QLatin1String(tables[kind].columns), QLatin1String(tables[kind].name)))) {
                serverSide = false;
                error = reads[kind].lastError().text();
                ok = false;
            } else if (!inserts[kind].prepare(insertSql(tables[kind]))) {
                error = inserts[kind].lastError().text();
                ok = false;
            }
        }
        // In the local order: a line reaches the server before what became of it.
        for (const Waiting& waiting : batch) {
            if (!ok)
                break;
            QSqlQuery& read = reads[waiting.kind];
            read.bindValue(0, waiting.uid);
            if (!read.exec()) {
                serverSide = false;
                error = read.lastError().text();
                ok = false;
                break;
            }
            if (!read.next())
                continue; // not in the file (it was moved aside since): nothing to send
            QSqlQuery& insert = inserts[waiting.kind];
            for (int i = 0; i < tables[waiting.kind].count; ++i) {
                QVariant value = read.value(i);
                if (value.metaType().id() == QMetaType::QString && value.toString().isNull())
                    value = QStringLiteral("");
                insert.bindValue(i, value);
            }
            read.finish();
            if (!insert.exec()) {
                error = insert.lastError().text();
                ok = false;
            }
        }
    }
    if (ok && !server.commit()) {
        error = server.lastError().text();
        ok = false;
    }
    if (!ok) {
        server.rollback();
        return false;
    }
    // Marked sent only now: a crash before this line sends the batch again, and the server keeps
    // each record once.
    QSqlQuery done(local);
    done.prepare(QStringLiteral("DELETE FROM outbox WHERE seq <= ?"));
    done.bindValue(0, batch.last().seq);
    if (!done.exec() || !done.exec(QStringLiteral("SELECT COUNT(*) FROM outbox")) || !done.next()) {
        serverSide = false;
        error = done.lastError().text();
        return false;
    }
    unsent_ = done.value(0).toLongLong();
    return true;
}

ReportResult ProductionStore::Read(const ReportQuery& query)
{
    if (readOnly_)
        return ReadOnly(query);
    ReportResult result;
    QString error;
    if (settings_.UsesServer()) {
        // Whatever waits goes first, so the server's answer holds this station's latest records.
        Send();
        if (serverOpen_) {
            if (ReadFrom(ServerDb(), query, result, error)) {
                result.source = QStringLiteral("PostgreSQL %1").arg(settings_.ServerName());
                return result;
            }
            ServerFailed(error);
        }
        result.problem = QStringLiteral("PostgreSQL %1 %2: only this station's records are shown")
                             .arg(settings_.ServerName(), serverFault_);
    }
    result.source = QStringLiteral("this station's record %1").arg(localPath_);
    if (!OpenLocal() || !ReadFrom(LocalDb(), query, result, error)) {
        result.rows.clear();
        result.problem = QStringLiteral("%1 cannot be read%2").arg(localPath_, error.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(oneLine(error)));
        return result;
    }
    if (!waiting_.isEmpty()) {
        const QString notYet = QStringLiteral("%1 records are not written yet and not shown").arg(waiting_.size());
        result.problem = result.problem.isEmpty() ? notYet : result.problem + QStringLiteral("; ") + notYet;
    }
    return result;
}

ReportResult ProductionStore::ReadOnly(const ReportQuery& query)
{
    ReportResult result;
    QString error;
    if (settings_.UsesServer()) {
        QSqlDatabase server = ServerDb();
        if (server.open() && ReadFrom(server, query, result, error)) {
            result.source = QStringLiteral("PostgreSQL %1").arg(settings_.ServerName());
            return result;
        }
        if (error.isEmpty())
            error = server.lastError().text();
        result.problem = QStringLiteral("PostgreSQL %1 cannot be read (%2): only this station's records are shown")
                             .arg(settings_.ServerName(), oneLine(error));
        error.clear();
    }
    result.source = QStringLiteral("this station's record %1").arg(localPath_);
    // Only a regular file is opened, as when writing; none yet is an empty record.
    struct stat st {};
    if (::lstat(QFile::encodeName(localPath_).constData(), &st) != 0)
        return result;
    const auto cannot = [&](const QString& why) {
        result.rows.clear();
        const QString problem = QStringLiteral("%1 cannot be read (%2)").arg(localPath_, oneLine(why));
        result.problem = result.problem.isEmpty() ? problem : result.problem + QStringLiteral("; ") + problem;
        return result;
    };
    if (!S_ISREG(st.st_mode))
        return cannot(QStringLiteral("not a regular file"));
    QSqlDatabase local = LocalDb();
    if (!local.open())
        return cannot(local.lastError().text());
    if (!ReadFrom(local, query, result, error))
        return cannot(error);
    return result;
}

bool ProductionStore::ReadFrom(QSqlDatabase db, const ReportQuery& query, ReportResult& result, QString& error)
{
    const QString from = query.from.isValid() ? query.from.toString(QStringLiteral("yyyy-MM-dd")) : QStringLiteral("0000-00-00");
    const QString to = query.to.isValid() ? query.to.toString(QStringLiteral("yyyy-MM-dd")) : QStringLiteral("9999-99-99");
    const bool oneStation = !query.station.isEmpty();
    QList<ReportRow> lines;
    QList<ReportRow> refusals;
    QStringList stations;
    // Lines and refusals are asked for alike: the days, and the station when one is chosen.
    const auto selectDays = [&](QSqlQuery& select, const QString& sql, const QString& stationColumn) {
        select.setForwardOnly(true);
        select.prepare(sql.arg(oneStation ? QStringLiteral(" AND %1 = ?").arg(stationColumn) : QString()));
        select.addBindValue(from);
        select.addBindValue(to);
        if (oneStation)
            select.addBindValue(query.station);
        if (select.exec())
            return true;
        error = select.lastError().text();
        return false;
    };
    {
        QSqlQuery select(db);
        // A line with no outcome yet is one row; its runs are ordered by their start (a clearing
        // has none and comes by its time).
        if (!selectDays(select, QStringLiteral(
            "SELECT l.station, l.scanned_at, l.scan_text, l.program, l.field_code, l.position, l.mirrored, l.size_x, "
            "l.size_y, l.size_z, l.list_file, l.csv_moved, o.outcome, o.message, o.started_at, o.ended_at, o.hold_ms "
            "FROM lines l LEFT JOIN outcomes o ON o.line_uid = l.uid "
            "WHERE l.day >= ? AND l.day <= ?%1 "
            "ORDER BY l.scanned_at, l.uid, COALESCE(o.started_at, o.ended_at), o.uid"), QStringLiteral("l.station")))
            return false;
        while (select.next()) {
            ReportRow row;
            row.station = select.value(0).toString();
            row.scannedAt = timeOf(select.value(1));
            row.scanText = select.value(2).toString();
            row.program = select.value(3).toString();
            row.fieldCode = select.value(4).toString();
            row.position = select.value(5).toInt();
            row.mirrored = select.value(6).toInt() != 0;
            row.sizeX = select.value(7).toString();
            row.sizeY = select.value(8).toString();
            row.sizeZ = select.value(9).toString();
            row.listFile = select.value(10).toString();
            row.csvMoved = select.value(11).toInt() != 0;
            if (select.value(12).isNull()) {
                row.outcome = QStringLiteral("waiting");
            } else {
                row.outcome = select.value(12).toString();
                row.message = select.value(13).toString();
                row.startedAt = timeOf(select.value(14));
                row.endedAt = timeOf(select.value(15));
                row.holdMs = select.value(16).toLongLong();
                if (row.startedAt.isValid() && row.endedAt.isValid())
                    row.durationMs = row.startedAt.msecsTo(row.endedAt);
            }
            lines.append(row);
        }
    }
    {
        QSqlQuery select(db);
        if (!selectDays(select,
                        QStringLiteral("SELECT station, at, scan_text, reason FROM refusals WHERE day >= ? AND day <= ?%1 "
                                       "ORDER BY at, uid"),
                        QStringLiteral("station")))
            return false;
        while (select.next()) {
            ReportRow row;
            row.station = select.value(0).toString();
            row.scannedAt = timeOf(select.value(1));
            row.scanText = select.value(2).toString();
            row.outcome = QStringLiteral("refused");
            row.message = select.value(3).toString();
            refusals.append(row);
        }
    }
    {
        QSqlQuery select(db);
        select.setForwardOnly(true);
        if (!select.exec(QStringLiteral("SELECT station FROM lines UNION SELECT station FROM refusals ORDER BY 1"))) {
            error = select.lastError().text();
            return false;
        }
        while (select.next())
            stations.append(select.value(0).toString());
    }
    // Both lists are by scan time; merged so, a line's runs stay together.
    result.rows.clear();
    result.rows.reserve(lines.size() + refusals.size());
    std::merge(lines.cbegin(), lines.cend(), refusals.cbegin(), refusals.cend(), std::back_inserter(result.rows),
               [](const ReportRow& a, const ReportRow& b) { return a.scannedAt < b.scannedAt; });
    result.stations = stations;
    return true;
}

void ProductionStore::SetRetryInterval(int ms)
{
    retryMs_ = ms;
}

void ProductionStore::RetryLater()
{
    if (retry_ != nullptr && !retry_->isActive())
        retry_->start(retryMs_);
}

void ProductionStore::Retry()
{
    if (WriteWaiting() && settings_.UsesServer())
        Send();
}

void ProductionStore::Close()
{
    WriteWaiting();
    if (!waiting_.isEmpty())
        Log::Error(QStringLiteral("Production record: %1 records could not be written to %2 and are lost").arg(waiting_.size()).arg(localPath_));
    delete retry_;
    retry_ = nullptr;
    LocalDb().close();
    QSqlDatabase::removeDatabase(localName_);
    if (settings_.UsesServer()) {
        ServerDb().close();
        QSqlDatabase::removeDatabase(serverName_);
    }
}

void ProductionStore::Report(Side side, const QString& text)
{
    if (!troubles_[side].isEmpty())
        return;
    troubles_[side] = text;
    Log::Error(text);
    Q_EMIT Trouble(text);
}

void ProductionStore::Clear(Side side, const QString& text)
{
    if (troubles_[side].isEmpty())
        return;
    troubles_[side].clear();
    Log::Info(text);
    Q_EMIT Recovered(text);
}
