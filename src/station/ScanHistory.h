#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>

// What became of the last scans, newest first, for the operator to look back on: each scan's
// time, what arrived and its outcomes (a line added, a command sent, a field chosen, a list
// loaded), with refusals and failures marked so they stand out, and lines that were added but
// will not run as meant marked as doubtful with the reason. Every outcome is also a log record
// in the same words.
class ScanHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int Capacity = 200;
    // An outcome longer than this is cut, with its length said: a huge scan quoted in a reason
    // must not fill the memory or the saved history.
    static constexpr qsizetype MaxOutcomeLength = 1000;

    // Where an entry came from: the scanner, the label entry, a button of the window, the
    // machine (a fault the list manager reported, outside any scan), or the start of Tarvex
    // (the line that parts the history kept from an earlier run from this one).
    enum class Origin { Scanned, Typed, Button, Machine, Restart };

    // How the entry stands: as meant; added but doubtful (it will not run as meant); refused,
    // or something failed on the way. Only ever rises.
    enum class Mark { Normal, Doubtful, Refused };

    // What the operator is to hear of a change: a scan refused, a doubtful line, a fault of the
    // machine.
    enum class Alert { Refusal, Doubt, MachineFault };

    struct Entry {
        QDateTime time;
        QString arrived;     // as received, non-printable bytes as \xHH; a long one cut
        Origin origin = Origin::Scanned;
        QStringList outcomes;
        Mark mark = Mark::Normal;
        QStringList reasons; // the outcomes that are why it is doubtful or refused
    };

    // A scan (or a typed label) starts; its outcomes follow.
    void Begin(const QString& arrived, Origin origin = Origin::Scanned);
    void Record(const QString& outcome);
    // The scan added something that will not run as meant; reason says why in words.
    void Warn(const QString& reason);
    void Refuse(const QString& reason);
    // A fault of the machine, an entry of its own that no scan's outcome joins; from names
    // the control ("LinuxCNC").
    void MachineFault(const QString& from, const QString& reason);

    // The entries of an earlier run (newest first) go below those of this run, under a line that
    // marks the restart at the given time. Nothing is added when there are none.
    void Restore(const QList<Entry>& earlier, const QDateTime& restartedAt);

    // Newest first.
    const QList<Entry>& Entries() const { return entries_; }

Q_SIGNALS:
    void Changed();
    // An entry's mark rose, or a machine fault came: once for each.
    void Alerted(ScanHistory::Alert alert);
    // A scan began at that time; arrived is the whole text as Begin got it, not cut.
    void ScanBegun(const QDateTime& at, const QString& arrived);
    // The scan begun last was refused, or failed on its way: once for the scan, with the first reason.
    void ScanRefused(const QString& reason);

private:
    Entry& current();
    void add(const Entry& entry);
    void mark(Mark to, const QString& reason);

    QList<Entry> entries_;
    // The entry of the last scan, which takes its outcomes; -1 when none. Machine faults that
    // come meanwhile go above it.
    qsizetype open_ = -1;
};
