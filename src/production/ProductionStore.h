#pragma once

#include "production/ProductionEntry.h"
#include "production/ProductionSettings.h"
#include "production/ReportRow.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <atomic>

class QSqlQuery;
class QTimer;

// The production record's writer, on a thread of its own: everything here but Settled, Unsent
// and Opened runs on that thread, where its database connections were made (Qt SQL connections
// belong to the thread that made them). Each batch goes into the local SQLite file in one
// transaction. With a PostgreSQL server, every record also waits in the local outbox and is sent
// from there, in order; the outbox is in the file, so a restart loses nothing.
class ProductionStore : public QObject {
    Q_OBJECT
public:
    // Records that wait in memory while the local file cannot be written; beyond that, newer
    // records are not kept and the log counts them.
    static constexpr qsizetype MaxWaiting = 100000;
    static constexpr int SendBatchSize = 500;

    // readOnly: for a report beside a running station; nothing is created, migrated, sent or
    // moved aside, and nothing may be written.
    ProductionStore(const ProductionSettings& settings, const QString& localPath, bool readOnly = false);
    ~ProductionStore() override;

    void Open();
    void Write(QList<ProductionEntry> batch);
    ReportResult Read(const ReportQuery& query);
    void SetRetryInterval(int ms);
    // Writes what waits, once, and closes the connections; the last call on the thread.
    void Close();

    // From any thread: records written to the local file (or not kept), records not yet sent,
    // and whether Open has run.
    qint64 Settled() const { return settled_.load(); }
    qint64 Unsent() const { return unsent_.load(); }
    bool Opened() const { return opened_.load(); }

Q_SIGNALS:
    // Told once when a trouble starts, and once when it is over.
    void Trouble(const QString& text);
    void Recovered(const QString& text);

private:
    enum Side { Settings, Local, Server, Sides };

    QSqlDatabase LocalDb() const;
    QSqlDatabase ServerDb() const;
    bool OpenLocal();
    bool PrepareLocal(QString& error, bool& damaged);
    void CloseLocal();
    bool MoveAside(const QString& why);
    bool WriteWaiting();
    bool WriteEntries(QString& error, bool& damaged, qint64& queued);
    // A line carried over from an earlier run's work list: that run's record of it still without
    // an outcome, the newest, or empty text when there is none (the line is then recorded anew).
    bool joinEarlier(QSqlQuery& earlier, const LineRecord& line, QString& joined);
    bool ConnectServer();
    void ServerFailed(const QString& error);
    bool Send();
    bool SendBatch(QString& error, bool& serverSide);
    ReportResult ReadOnly(const ReportQuery& query);
    bool ReadFrom(QSqlDatabase db, const ReportQuery& query, ReportResult& result, QString& error);
    void RetryLater();
    void Retry();
    void Report(Side side, const QString& text);
    void Clear(Side side, const QString& text);

    ProductionSettings settings_;
    QString localPath_;
    bool readOnly_;
    qint64 startedMs_; // records scanned before it are an earlier run's
    QString localName_;
    QString serverName_;
    bool localOpen_ = false;
    bool serverOpen_ = false;
    QString serverFault_; // what the server did last time it failed, for the report
    QList<ProductionEntry> waiting_;
    QHash<QString, QString> joined_; // a carried-over line's uid: the earlier record it is
    qint64 dropped_ = 0;
    QTimer* retry_ = nullptr;
    int retryMs_ = 5000;
    QString troubles_[Sides];
    std::atomic<qint64> settled_{0};
    std::atomic<qint64> unsent_{0};
    std::atomic<bool> opened_{false};
};
