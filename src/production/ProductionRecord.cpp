#include "production/ProductionRecord.h"

#include "production/ProductionStore.h"

#include <QDeadlineTimer>

ProductionRecord::ProductionRecord(const ProductionSettings& settings, const QString& localPath, QObject* parent,
                                   Access access)
    : QObject(parent)
    , station_(settings.Station())
    , usesServer_(settings.UsesServer())
    , store_(new ProductionStore(settings, localPath, access == Access::ReadOnly))
{
    store_->moveToThread(&thread_);
    connect(store_, &ProductionStore::Trouble, this, &ProductionRecord::Trouble);
    connect(store_, &ProductionStore::Recovered, this, &ProductionRecord::Recovered);
    handOver_.setSingleShot(true);
    handOver_.setInterval(HandOverMs);
    connect(&handOver_, &QTimer::timeout, this, &ProductionRecord::HandOver);
    thread_.setObjectName(QStringLiteral("production"));
    thread_.start();
    QMetaObject::invokeMethod(store_, &ProductionStore::Open, Qt::QueuedConnection);
}

ProductionRecord::~ProductionRecord()
{
    HandOver();
    // After everything handed over before it; then the thread ends.
    QMetaObject::invokeMethod(
        store_,
        [store = store_]() {
            store->Close();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    thread_.wait();
    delete store_;
}

void ProductionRecord::Add(const ProductionEntry& entry)
{
    ProductionEntry record = entry;
    std::visit([this](auto& r) {
        if (r.station.isEmpty())
            r.station = station_;
    }, record);
    if (auto* line = std::get_if<LineRecord>(&record); line != nullptr && !line->scannedAt.isValid())
        line->scannedAt = QDateTime::currentDateTime();
    if (auto* refusal = std::get_if<RefusalRecord>(&record); refusal != nullptr && !refusal->at.isValid())
        refusal->at = QDateTime::currentDateTime();
    batch_.append(std::move(record));
    ++added_;
    if (!handOver_.isActive())
        handOver_.start();
}

void ProductionRecord::HandOver()
{
    handOver_.stop();
    if (batch_.isEmpty())
        return;
    QMetaObject::invokeMethod(
        store_, [store = store_, batch = std::move(batch_)]() mutable { store->Write(std::move(batch)); },
        Qt::QueuedConnection);
    batch_.clear();
}

void ProductionRecord::Ask(const ReportQuery& query, std::function<void(const ReportResult&)> answer)
{
    HandOver();
    // The answer comes back through this object's thread; once the record is gone it is dropped.
    // The writer runs only while the record lives, so this is still there when it answers.
    QMetaObject::invokeMethod(
        store_,
        [this, query, answer = std::move(answer)]() {
            ReportResult result = store_->Read(query);
            QMetaObject::invokeMethod(this, [answer, result]() { answer(result); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

ReportResult ProductionRecord::AskNow(const ReportQuery& query)
{
    HandOver();
    ReportResult result;
    QMetaObject::invokeMethod(
        store_, [store = store_, &query, &result]() { result = store->Read(query); }, Qt::BlockingQueuedConnection);
    return result;
}

bool ProductionRecord::WaitWritten(int timeoutMs)
{
    HandOver();
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // Settled before Unsent: the writer counts a record unsent before it counts it written.
        const bool written = store_->Opened() && store_->Settled() >= added_;
        if (written && (!usesServer_ || store_->Unsent() == 0))
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
}

void ProductionRecord::SetRetryInterval(int ms)
{
    QMetaObject::invokeMethod(store_, [store = store_, ms]() { store->SetRetryInterval(ms); }, Qt::QueuedConnection);
}
