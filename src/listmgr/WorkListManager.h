#pragma once

#include "listmgr/ListManager.h"
#include "listmgr/ListManagerJournal.h"
#include "listmgr/WorkList.h"
#include "station/MachineState.h"

#include <QObject>
#include <QStringList>

#include <functional>

// A list manager whose work list Tarvex keeps itself: the lines with their states, saved to
// worklist.lst after every change (a change that cannot be saved is not made and fails the
// call) and loaded back at start, every call journalled, and list files read here. What runs
// the list (nothing, or a machine control) is the subclass's. The window frmListManager follows
// the signals.
class WorkListManager : public QObject, public ListManager {
    Q_OBJECT
public:
    void OpenList(const QString& path) override;
    void AddLine(const ListFields& line) override;
    void ClearList() override;
    void Visible(bool visible) override;
    void Clear() override;

    const WorkList& List() const { return list_; }
    QStringList Lines() const { return list_.Lines(); }
    // Set-point steps done since start.
    int Setpoints() const { return setpoints_; }

    // The run as the window shows it after "Run state: ".
    virtual QString RunStateText() const = 0;
    // The machine behind the list as the window shows it; empty when there is none.
    virtual QString MachineStateText() const { return QString(); }
    // The machine behind the list as a value, for the station to keep; Changed() follows each change.
    virtual MachineState Machine() const = 0;
    // What runs the list as the operator knows it: "LinuxCNC at 127.0.0.1:5007".
    virtual QString MachineName() const = 0;

    static QString WorkListPath(); // $XDG_DATA_HOME/tarvex/worklist.lst
    static QString JournalPath();  // $XDG_DATA_HOME/tarvex/listmanager.log

Q_SIGNALS:
    void Changed();
    void VisibleChanged(bool visible);
    // Something the operator must see that no call returns: a line failed, the machine went away.
    void StatusMessage(const QString& text);
    // Something went wrong that the operator must see even after the status line has moved on
    // (told with Tone::Error): a line failed, the machine went away while it ran.
    void Fault(const QString& reason);
    // A line was appended: by AddLine (listFile empty) or by OpenList (listFile is the path as
    // OpenList got it).
    void LineAdded(quint64 id, const ListFields& fields, const QString& listFile);
    // Lines left the list (ClearList, Clear, OpenList replacing it), each with the state it had.
    void LinesRemoved(const QList<WorkList::Entry>& removed);

protected:
    // Loads the work list saved by the previous run.
    explicit WorkListManager(QObject* parent = nullptr);

    // Runs one member: journals it, with "error N" when it threw (the error is logged and
    // thrown on).
    void call(const QString& member, const QString* argument, const std::function<void()>& body);
    enum class Tone { Info, Warning, Error };
    // Puts the text on the status line and in the log, and refreshes the window.
    void tell(const QString& text, Tone tone = Tone::Info);
    void countSetpoint();
    // Records what became of a line; a state that cannot be saved is told (it holds all the same).
    void mark(quint64 id, WorkList::State state, const QString& note = QString());

    ListManagerJournal& Journal() { return journal_; }

private:
    // Replaces the whole list; listFile names where the new lines came from (none: empty).
    void replaceLines(const QList<ListFields>& lines, const QString& listFile = QString());

    ListManagerJournal journal_;
    WorkList list_;
    int setpoints_ = 0;
};
