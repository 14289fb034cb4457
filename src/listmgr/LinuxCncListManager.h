#pragma once

#include "listmgr/LinuxCncClient.h"
#include "listmgr/LinuxCncSettings.h"
#include "listmgr/WorkListManager.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>

class LineChannel;

// The list manager that has LinuxCNC run the work list ([ListManager] Server=LinuxCNC). The
// list stays Tarvex's (WorkListManager); Start runs its waiting lines in order, one program at a
// time, through linuxcncrsh: every numeric field of the line set as the parameter of the same
// number by MDI, the program named by field 161 opened from the program folder and run, its end
// awaited, the line marked done, failed or aborted, then the next. Each call only starts or
// changes the run and returns: the run goes on from the socket's answers and a poll timer, so
// the window never waits for LinuxCNC.
//
// Tarvex never takes the machine out of E-stop or switches it on: Start on a machine that is not
// ready is refused and nothing runs. A program error fails its line and stops the run; a lost
// connection holds the run, leaves the line that ran unknown, and the link comes back by itself.
class LinuxCncListManager : public WorkListManager {
    Q_OBJECT
public:
    struct Timing {
        LinuxCncClient::Timing client;
        int watchPollMs = 40;    // while a program runs: how soon its end is seen
        int idlePollMs = 500;    // the machine's state for the window and for Start
        int setpointPollMs = 100;
        int heartbeatPolls = 50; // a set every so many watch polls: a LinuxCNC that died answers no set
        int unprovenIdlePolls = 10; // idle answers after "set run", the program never seen at work, before it is unknown
        qint64 setpointLimitMs = 10 * 60 * 1000;
    };

    // Over TCP. Connecting starts at once.
    explicit LinuxCncListManager(LinuxCncSettings settings);
    // channel: the connection to linuxcncrsh (tests give a scripted one).
    LinuxCncListManager(LinuxCncSettings settings, std::unique_ptr<LineChannel> channel, Timing timing);
    ~LinuxCncListManager() override;

    // True once linuxcncrsh has handed over the control; until then lines are kept all the same.
    bool NewList() override;
    void Start() override;
    void Hold() override;
    void End() override;
    void Setpoint() override;
    bool KeepsListWhileAway() const override { return true; }

    QString RunStateText() const override;
    QString MachineStateText() const override;

    bool IsConnected() const { return client_.IsConnected(); }
    bool IsRunning() const { return run_ != Run::Idle || step_ == Step::Setpoint; }

private:
    enum class Run { Idle, Running, Held, Lost };
    enum class Step { None, Checking, Parameters, Opening, ReadyToRun, Starting, Watching, Finishing, Setpoint };
    using Answers = std::function<void(const QStringList&)>;
    struct Machine {
        bool known = false;
        QString estop, power, status; // "ON"/"OFF", "ON"/"OFF", "IDLE"/"RUNNING"/"PAUSED"
    };

    void client_Connected();
    void client_Lost(const QString& reason);
    void poll_timeout();

    // A line's way, step by step.
    void nextLine(bool machineSeen = false);
    void checked(const QStringList& answers);
    void setParameters();
    void openProgram();
    void runProgram();
    void watch();
    void programEnded();
    void settle(const QStringList& answers);
    void lineEnded(WorkList::State state, const QString& why);
    // Nothing of the line ran: it stays waiting and the run ends.
    void refuse(const QString& why);
    // Tells the operator when LinuxCNC refused to act ("hold") on the program that runs; true then.
    bool toldRefusal(const QString& act, const QString& command, const QString& answer);
    // End came before the line's program ran.
    void endBeforeRun();
    void endRun(const QString& summary, Tone tone = Tone::Info);
    void resume();

    void startSetpoint();
    void watchSetpoint();
    void setpointEnded(bool done, const QString& why);

    // Sends for the present state of things: answers that come after a loss or an end are dropped.
    // Commands that cannot be sent (a control character) fail the line they were for.
    void send(const QStringList& commands, Answers then, bool quiet = false);
    void notSent(const QString& why);
    // As send, with the control taken first: another client of linuxcncrsh may have taken it;
    // then gets the answers to the commands given.
    void control(const QStringList& commands, Answers then, bool quiet = false);
    // LinuxCNC's queued error texts, read until it has none.
    void readErrors(Answers then, QStringList found = {});
    void schedulePoll();
    void pollIdle();
    // Throws when what is known already says the machine will not run (E-stop, off, busy).
    void refuseUnlessReady() const;
    static Machine machineFrom(const QStringList& answers); // the answers to machineQueries
    // Why a machine in this state runs nothing; empty when it is ready. busyTail ends the text
    // for a program that runs.
    static QString notReady(const Machine& machine, const QString& busyTail);
    // No MDI commands given: the set-point step homes every joint.
    bool setpointHomes() const { return settings_.setpoint.isEmpty(); }
    QString programPath(const QString& name, QString& why) const;
    QString current() const; // "P1.CNC (line 2)"
    QString notConnected() const;
    void noteTiming();

    LinuxCncSettings settings_;
    Timing timing_;
    std::unique_ptr<LineChannel> channel_;
    LinuxCncClient client_;
    QTimer poll_;
    bool pollInFlight_ = false;
    quint64 epoch_ = 0;
    bool connectedBefore_ = false; // the loss of a connection is told once, not every failed attempt

    Run run_ = Run::Idle;
    Step step_ = Step::None;
    bool holdWanted_ = false;
    bool endWanted_ = false;
    bool abortsProgram_ = false; // End came while the program ran: its line is aborted
    bool heldMeanwhile_ = false; // a hold since the last timing record
    quint64 line_ = 0;          // the work-list entry being prepared or run
    QString program_;           // its program
    QStringList errors_;        // LinuxCNC's errors while it ran
    QSet<int> parameters_;      // set since LinuxCNC was connected: each run sets them all
    int watchPolls_ = 0;
    // A program counts as ended by an idle LinuxCNC only once it was seen at work: running,
    // paused, its line number moved from where it stood when opened, or an error.
    bool runSeen_ = false;
    int idleUnseen_ = 0;
    QString lineBefore_;
    int done_ = 0;

    Machine machine_;
    QString lastError_;

    bool setpointIssued_ = false; // LinuxCNC has taken its commands
    QElapsedTimer setpointSince_;

    // For the log's timing records: since Start or the end of the program before, whichever was last.
    QElapsedTimer since_;
    qint64 answeringSince_ = 0;
    bool firstOfRun_ = false;
    QElapsedTimer programSince_;
};
