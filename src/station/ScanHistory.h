#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>

// What became of the last scans, newest first, for the operator to look back on: each scan's
// time, what arrived and its outcomes (a line added, a command sent, a field chosen, a list
// loaded), with refusals and failures marked so they stand out. Every outcome is also a log
// record in the same words.
class ScanHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int Capacity = 50;

    struct Entry {
        QDateTime time;
        QString arrived;     // as received, non-printable bytes as \xHH; a long one cut
        bool typed = false;  // entered by hand, not scanned
        QStringList outcomes;
        bool refused = false; // refused, or something failed on the way
    };

    // A scan (or a typed label) starts; its outcomes follow.
    void Begin(const QString& arrived, bool typed = false);
    void Record(const QString& outcome);
    void Refuse(const QString& reason);

    // Newest first.
    const QList<Entry>& Entries() const { return entries_; }

Q_SIGNALS:
    void Changed();

private:
    Entry& current();

    QList<Entry> entries_;
    bool open_ = false; // the newest entry still takes outcomes
};
