#pragma once

#include "listmgr/ListFields.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

// A machine control that runs programs for the work list, as WorkListRunner sees it: what the
// machine is, and what it can be asked. Every request returns at once; its reply comes later,
// exactly once while the connection holds, never after the connection went (Lost is emitted
// instead). The words of the control's own protocol stay behind this interface.
class MachineControl : public QObject {
    Q_OBJECT
public:
    enum class State { NotConnected, EStop, Off, NotHomed, Idle, Running, Paused, Error };
    struct Status {
        State state = State::NotConnected;
        QString text; // for Error: the control's own words for what it is doing
    };

    struct Reply {
        enum class Kind {
            Done,
            Refused,  // the control would not do it; nothing of it was done (text: its answer, or why)
            Failed,   // it went wrong on the machine (text: the control's messages)
            NotHomed, // the machine must be homed first (text: the control's message)
            NotSent,  // a request that could not be put to the control at all (text: why)
        };
        Kind kind = Kind::Done;
        QString text;
        Status status;         // Look, Watch, Finish: the machine as the reply found it
        QStringList messages;  // ReadMessages, Finish: the control's queued messages
        bool moved = false;    // Watch: the program was seen at work since it was opened
        bool over = false;     // WatchSetpoint: the set-point step has ended
    };
    using Then = std::function<void(const Reply&)>;

    // A list line as this control runs it: its program, and every other field as a parameter.
    struct Line {
        QString program;
        QList<int> numbers;                          // the parameters the line itself gives
        QList<std::pair<int, QString>> parameters;   // with the values the control takes, in order
        QString refusal;                             // why it cannot run here; empty when it can
    };

    using QObject::QObject;

    virtual bool IsConnected() const = 0;
    // Why the last connection attempt failed or the connection went; empty while connected.
    virtual QString Trouble() const = 0;
    // "LinuxCNC": the control as the operator knows it.
    virtual QString Name() const = 0;
    // Where it is reached, "127.0.0.1:5007".
    virtual QString Endpoint() const = 0;
    // Time the control has spent answering so far: the rest of a wait is Tarvex's.
    virtual qint64 AnsweringNs() const = 0;

    // The line read for this control; numbers in alsoZero that the line lacks are set to 0, so
    // that no value of an earlier line is left over.
    virtual Line Read(const ListFields& listLine, const QSet<int>& alsoZero) const = 0;

    // The machine's state (E-stop, power, whether a program runs). A quiet look is a poll, kept
    // out of the journal unless its answer changed.
    virtual void Look(Then then, bool quiet = false) = 0;
    // The control's queued messages, read until none is left.
    virtual void ReadMessages(Then then) = 0;
    // Sets each parameter to its value (numbers and values checked by the caller) for the
    // program that runs next, stopping whatever was under way first.
    virtual void TakeParameters(const QList<std::pair<int, QString>>& values, Then then) = 0;
    // Opens the program by its name below the program folder; Failed when the control opened
    // something else or nothing.
    virtual void Open(const QString& programName, Then then) = 0;
    // Runs the opened program.
    virtual void Run(Then then) = 0;
    // While the program runs: its status, a message it reported (text), and moved. Idle without
    // moved: text says what the control saw instead.
    virtual void Watch(Then then) = 0;
    // After the program: the messages it left and the machine's E-stop and power.
    virtual void Finish(Then then) = 0;
    virtual void Pause(Then then) = 0;
    virtual void Resume(Then then) = 0;
    virtual void Abort(Then then) = 0;
    // The set-point step: started, then watched until over (or Failed with the control's text).
    virtual void StartSetpoint(Then then) = 0;
    virtual void WatchSetpoint(Then then) = 0;

Q_SIGNALS:
    void Connected();
    void Lost(const QString& reason);
};
