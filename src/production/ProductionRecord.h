#pragma once

#include "production/ProductionReader.h"
#include "production/ProductionSettings.h"
#include "production/ProductionSink.h"

#include <QList>
#include <QObject>
#include <QThread>
#include <QTimer>

class ProductionStore;

// The production record as the station sees it, on the main thread. Add only keeps the record
// in a batch; every HandOverMs the batch goes to the writer on its own thread, so a scan never
// waits for a disk or a server. Trouble is told once when it starts and once when it is over.
class ProductionRecord : public QObject, public ProductionSink, public ProductionReader {
    Q_OBJECT
public:
    static constexpr int HandOverMs = 200;

    // localPath: the SQLite file (ProductionSettings::DefaultLocalPath() for the station). A
    // record made ReadOnly only answers questions (a report beside a running station): Add must
    // not be called on it.
    enum class Access { ReadWrite, ReadOnly };
    ProductionRecord(const ProductionSettings& settings, const QString& localPath, QObject* parent = nullptr,
                     Access access = Access::ReadWrite);
    // Writes what is kept to the local file and stops the writer.
    ~ProductionRecord() override;

    QString Station() const { return station_; }

    void Add(const ProductionEntry& entry) override;
    void Ask(const ReportQuery& query, std::function<void(const ReportResult&)> answer) override;
    // Ask, waiting for the answer: for the command line, which has no window to keep alive.
    ReportResult AskNow(const ReportQuery& query);

    // True once every record added is in the local file and, with a server, sent to it.
    bool WaitWritten(int timeoutMs);

    // How long the writer waits before trying a failed write or an unreachable server again.
    void SetRetryInterval(int ms);

Q_SIGNALS:
    void Trouble(const QString& text);
    void Recovered(const QString& text);

private:
    void HandOver();

    QString station_;
    bool usesServer_;
    QList<ProductionEntry> batch_;
    qint64 added_ = 0;
    QTimer handOver_;
    QThread thread_;
    ProductionStore* store_;
};
