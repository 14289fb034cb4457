#pragma once

#include "listmgr/WorkListManager.h"

// The list manager that runs inside Tarvex unless "NOAPP" is given or ZEM.INI names another
// one. It keeps the work list (WorkListManager) and a run state that nothing executes: the
// list stays as it is, every line waiting.
class EmbeddedListManager : public WorkListManager {
    Q_OBJECT
public:
    enum class Run { Ended, Running, Held };

    explicit EmbeddedListManager(QObject* parent = nullptr);

    bool NewList() override;
    void Start() override;
    void Hold() override;
    void End() override;
    void Setpoint() override;

    Run State() const { return state_; }
    QString RunStateText() const override { return RunText(state_); }
    // Nothing runs the list: ready once it has handed out its work list.
    MachineState Machine() const override;
    QString MachineName() const override { return QStringLiteral("Embedded list manager"); }

    static QString RunText(Run run); // "ended", "running", "held"

private:
    void setState(Run state);

    Run state_ = Run::Ended;
    bool listHandedOut_ = false;
};
