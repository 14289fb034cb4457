#pragma once

#include "listmgr/ListManager.h"
#include "listmgr/ListManagerJournal.h"

#include <QObject>
#include <QStringList>

#include <functional>

// The list manager that runs inside Tarvex unless "NOAPP" is given. It keeps the work list and
// its run state, saves the list to worklist.lst after every change (a change that cannot be
// saved is not made and fails the call), loads it back at start, and journals every call. A line
// holding a line end is refused, so that every line reads back from the file as it was.
// Its window (frmListManager) follows the signals.
class EmbeddedListManager : public QObject, public ListManager {
    Q_OBJECT
public:
    enum class Run { Ended, Running, Held };

    // Loads the work list saved by the previous run (an unreadable file is logged and the list
    // starts empty).
    explicit EmbeddedListManager(QObject* parent = nullptr);

    bool NewList() override;
    void OpenList(const QString& path) override;
    void Start() override;
    void Hold() override;
    void End() override;
    void Setpoint() override;
    void AddLine(const QString& line) override;
    void ClearList() override;
    void Visible(bool visible) override;
    void Clear() override;

    const QStringList& Lines() const { return lines_; }
    Run State() const { return state_; }
    int Setpoints() const { return setpoints_; }
    bool IsVisible() const { return visible_; }

    static QString RunText(Run run); // "ended", "running", "held"
    // The value of field #number in a list line ("#161=P1.CNC;..." → "P1.CNC"); empty when absent.
    static QString FieldValue(const QString& line, int number);

    static QString WorkListPath(); // $XDG_DATA_HOME/tarvex/worklist.lst
    static QString JournalPath();  // $XDG_DATA_HOME/tarvex/listmanager.log

Q_SIGNALS:
    void Changed();
    void VisibleChanged(bool visible);

private:
    // Runs one member: journals it, with "error N" when it threw.
    void call(const QString& member, const QString* argument, const std::function<void()>& body);
    // The new work list, saved first; the old one stays when saving fails.
    void replaceLines(const QStringList& lines);
    void setState(Run state);

    ListManagerJournal journal_;
    QStringList lines_;
    Run state_ = Run::Ended;
    int setpoints_ = 0;
    bool visible_ = false;
};
