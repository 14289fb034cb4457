#pragma once

#include "listmgr/MachineControl.h"
#include "listmgr/WorkListManager.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>

// A list manager whose work list a machine control runs. The list stays Tarvex's
// (WorkListManager); Start runs its waiting lines in order, one program at a time: the machine
// looked at, every numeric field of the line given as the parameter of the same number, the
// program named by field 161 opened and run, its end awaited, the line marked done, failed or
// aborted, then the next. Each call only starts or changes the run and returns: the run goes on
// from the control's replies and a poll timer, so the window never waits for the machine.
//
// Tarvex never takes the machine out of E-stop or switches it on: Start on a machine that is not
// ready is refused and nothing runs. A program error fails its line and stops the run; a lost
// connection holds the run, leaves the line that ran unknown, and the control comes back by itself.
// What the control says is hostile: only the reply kinds and states of MachineControl count.
class WorkListRunner : public WorkListManager {
    Q_OBJECT
public:
    struct Timing {
        int watchPollMs = 40;    // while a program runs: how soon its end is seen
        int idlePollMs = 500;    // the machine's state for the window and for Start
        int setpointPollMs = 100;
        int unprovenIdlePolls = 10; // idle replies after Run, the program never seen at work, before it is unknown
        qint64 setpointLimitMs = 10 * 60 * 1000;
    };
    // Makes the control; it may journal through the journal given.
    using ControlMaker = std::function<std::unique_ptr<MachineControl>(ListManagerJournal& journal)>;

    WorkListRunner(const ControlMaker& makeControl, Timing timing, QObject* parent = nullptr);
    ~WorkListRunner() override;

    // True once the control is connected; until then lines are kept all the same.
    bool NewList() override;
    void Start() override;
    void Hold() override;
    void End() override;
    void Setpoint() override;
    bool KeepsListWhileAway() const override { return true; }
    QString WhyAway() const override;

    QString RunStateText() const override;
    QString MachineStateText() const override;
    MachineState Machine() const override;
    QString MachineName() const override;

    bool IsConnected() const { return control_->IsConnected(); }
    bool IsRunning() const { return state_ != State::Idle; }

Q_SIGNALS:
    // Run was asked for the line's program: from here on it may run at the machine.
    void RunStarted(quint64 id);
    // The line's way has ended: done, failed (the machine's text), aborted, or unknown (why in
    // message). heldMs is the time it was held, at the machine or by Hold, since Run was asked;
    // a line that failed before Run was asked never started. Waiting: Run was refused, nothing
    // ran and the line waits again. Each RunStarted is followed by one RunEnded of its line.
    void RunEnded(quint64 id, WorkList::State state, const QString& message, qint64 heldMs);

private:
    // Where the run stands. "Held" states wait for Start; a held step on its way goes on to the
    // point where the next thing would act on the machine, and stops there.
    enum class State {
        Idle,
        SetpointStarting,  // the set-point step's commands on their way
        Setpoint,          // the control took them: watched until over
        Preparing,         // machine looked at, parameters, program opened
        PreparingHeld,
        Ready,             // the program is open, held before it runs
        Starting,          // Run asked
        StartingHeld,
        Running,           // the program runs, watched
        Paused,            // held at the machine or by Hold while it runs
        Aborting,          // End came while it ran: its line is aborted once it stops
        Closing,           // End came, the program goes on (abort refused, or already over): the run stops after it
        Finishing,         // the program ended: its messages and the machine's state are read
        FinishingHeld,
        Lost,              // the connection went during a run: held until Start or End
    };

    void enter(State state);

    void control_Connected();
    void control_Lost(const QString& reason);
    void poll_timeout();

    // Guards a reply for the present run: a reply that comes after a loss or an end is dropped,
    // and NotSent fails the line it was for.
    MachineControl::Then now(std::function<void(const MachineControl::Reply&)> then);

    // A line's way, step by step.
    void nextLine(bool machineSeen = false);
    void checked(const MachineControl::Reply& reply);
    void setParameters();
    void openProgram();
    void runProgram();
    void watch();
    void watched(const MachineControl::Reply& reply);
    void programEnded();
    void settle(const MachineControl::Reply& reply);
    void lineEnded(WorkList::State state, const QString& why);
    // Marks the line's final state and tells who follows the runs.
    void finishLine(WorkList::State state, const QString& why = QString());
    // Held after Run was asked: the time counted as the run's hold.
    bool heldInRun() const;
    // Nothing of the line ran: it stays waiting and the run ends.
    void refuse(const QString& why);
    // Tells the operator when the control refused to act ("hold") on the program that runs; true then.
    bool toldRefusal(const QString& act, const MachineControl::Reply& reply);
    void endRun(const QString& summary, Tone tone = Tone::Info);
    void resume();

    void startSetpoint();
    void watchSetpoint();
    void setpointEnded(bool done, const QString& why);

    void notSent(const QString& why);
    void schedulePoll();
    void pollIdle();
    // Throws when what is known already says the machine will not run (E-stop, off, busy).
    void refuseUnlessReady() const;
    // Why a machine in this state runs nothing; empty when it is ready. busyTail ends the text
    // for a program that runs.
    QString notReady(const MachineControl::Status& machine, const QString& busyTail) const;
    bool preparing() const;  // Preparing or PreparingHeld
    bool programMayRun() const; // Run was asked for the line
    bool held() const;
    QString current() const; // "P1.CNC (line 2)"
    QString notConnected() const;
    void noteTiming();

    Timing timing_;
    std::unique_ptr<MachineControl> control_;
    QTimer poll_;
    bool pollInFlight_ = false;
    quint64 epoch_ = 0;
    bool connectedBefore_ = false; // the loss of a connection is told once, not every failed attempt
    bool everConnected_ = false;   // until then the control is being connected, not lost

    State state_ = State::Idle;
    quint64 line_ = 0;          // the work-list entry being prepared or run
    QString program_;           // its program
    QStringList errors_;        // the control's messages while it ran
    QSet<int> parameters_;      // set since the control was connected: each run sets them all
    // A program counts as ended by an idle machine only once it was seen at work: running,
    // paused, its line number moved, or a message.
    bool programSeen_ = false;
    int idleUnseen_ = 0;
    int done_ = 0;

    MachineControl::Status machine_;
    QString lastError_;
    QElapsedTimer setpointSince_;

    // For the log's timing records: since Start or the end of the program before, whichever was last.
    QElapsedTimer since_;
    qint64 answeringSince_ = 0;
    bool firstOfRun_ = false;
    bool heldMeanwhile_ = false; // a hold since the last timing record
    QElapsedTimer programSince_;

    // The hold of the line's run, from the time Run was asked until its end.
    bool runAsked_ = false;
    qint64 heldMs_ = 0;
    QElapsedTimer heldSince_;
};
