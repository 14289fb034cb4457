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

    // Where an entry came from: the scanner, the label entry, a button of the window, or the
    // machine (a fault the list manager reported, outside any scan).
    enum class Origin { Scanned, Typed, Button, Machine };

    struct Entry {
        QDateTime time;
        QString arrived;     // as received, non-printable bytes as \xHH; a long one cut
        Origin origin = Origin::Scanned;
        QStringList outcomes;
        bool refused = false; // refused, or something failed on the way
    };

    // A scan (or a typed label) starts; its outcomes follow.
    void Begin(const QString& arrived, Origin origin = Origin::Scanned);
    void Record(const QString& outcome);
    void Refuse(const QString& reason);
    // A fault of the machine, an entry of its own that no scan's outcome joins; from names
    // the control ("LinuxCNC").
    void MachineFault(const QString& from, const QString& reason);

    // Newest first.
    const QList<Entry>& Entries() const { return entries_; }

Q_SIGNALS:
    void Changed();

private:
    Entry& current();
    void add(const Entry& entry);

    QList<Entry> entries_;
    // The entry of the last scan, which takes its outcomes; -1 when none. Machine faults that
    // come meanwhile go above it.
    qsizetype open_ = -1;
};
