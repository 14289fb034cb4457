#include "listmgr/WorkListRunner.h"

#include "platform/Log.h"
#include "platform/RuntimeError.h"

#include <utility>

namespace {
// The list line's field that names its program.
constexpr int programField = 161;

double ms(qint64 ns)
{
    return static_cast<double>(ns) / 1e6;
}

// The program's state as the window and the messages word it: "running", "paused".
QString programWord(const MachineControl::Status& status)
{
    switch (status.state) {
    case MachineControl::State::Idle:
        return QStringLiteral("idle");
    case MachineControl::State::Running:
        return QStringLiteral("running");
    case MachineControl::State::Paused:
        return QStringLiteral("paused");
    default:
        return status.text.toLower();
    }
}

bool operator!=(const MachineControl::Status& a, const MachineControl::Status& b)
{
    return a.state != b.state || a.text != b.text;
}
} // namespace

WorkListRunner::WorkListRunner(const ControlMaker& makeControl, Timing timing, QObject* parent)
    : WorkListManager(parent), timing_(timing), control_(makeControl(Journal()))
{
    poll_.setSingleShot(true);
    connect(&poll_, &QTimer::timeout, this, &WorkListRunner::poll_timeout);
    connect(control_.get(), &MachineControl::Connected, this, &WorkListRunner::control_Connected);
    connect(control_.get(), &MachineControl::Lost, this, &WorkListRunner::control_Lost);
}

WorkListRunner::~WorkListRunner() = default;

void WorkListRunner::enter(State state)
{
    const bool wasHeld = heldInRun();
    state_ = state;
    if (!runAsked_ || wasHeld == heldInRun())
        return;
    if (wasHeld)
        heldMs_ += heldSince_.elapsed();
    else
        heldSince_.start();
}

bool WorkListRunner::heldInRun() const
{
    return runAsked_ && (state_ == State::StartingHeld || state_ == State::Paused || state_ == State::FinishingHeld);
}

void WorkListRunner::finishLine(WorkList::State state, const QString& why)
{
    const qint64 held = heldMs_ + (heldInRun() ? heldSince_.elapsed() : 0);
    const bool started = std::exchange(runAsked_, false);
    heldMs_ = 0;
    mark(line_, state, why);
    Q_EMIT RunEnded(line_, state, why, started ? held : 0);
}

bool WorkListRunner::NewList()
{
    // Asked again and again while start-up waits: only the answer that hands out the list is journalled.
    if (!control_->IsConnected())
        return false;
    call(QStringLiteral("NewList"), nullptr, [] {});
    return true;
}

void WorkListRunner::Start()
{
    call(QStringLiteral("Start"), nullptr, [this] {
        if (!control_->IsConnected())
            throw RuntimeError(RuntimeError::DeviceUnavailable, notConnected());
        if (held())
            return resume();
        switch (state_) {
        case State::SetpointStarting:
        case State::Setpoint:
            throw RuntimeError(RuntimeError::DeviceUnavailable,
                               QStringLiteral("%1 is still running the set-point step; Start again when it has ended.").arg(control_->Name()));
        case State::Idle:
        case State::Lost:
            break;
        default:
            return; // lines added meanwhile run in their turn
        }
        refuseUnlessReady();
        if (!List().NextWaiting()) {
            enter(State::Idle);
            Log::Info(QStringLiteral("Start: no line is waiting"));
            Q_EMIT Changed();
            return;
        }
        heldMeanwhile_ = false;
        done_ = 0;
        lastError_.clear();
        firstOfRun_ = true;
        since_.start();
        answeringSince_ = control_->AnsweringNs();
        Log::Info(QStringLiteral("%1 runs the work list").arg(control_->Name()));
        enter(State::Preparing);
        nextLine();
    });
}

void WorkListRunner::Hold()
{
    call(QStringLiteral("Hold"), nullptr, [this] {
        switch (state_) {
        case State::Preparing:
            enter(State::PreparingHeld);
            break;
        case State::Starting:
            enter(State::StartingHeld);
            break;
        case State::Finishing:
            enter(State::FinishingHeld);
            break;
        case State::Running:
            enter(State::Paused);
            control_->Pause(now([this](const MachineControl::Reply& reply) { toldRefusal(QStringLiteral("hold"), reply); }));
            break;
        default:
            return; // nothing runs, or it is held or ending already
        }
        heldMeanwhile_ = true;
        Log::Info(QStringLiteral("the run is held at %1").arg(current()));
        Q_EMIT Changed();
    });
}

void WorkListRunner::End()
{
    call(QStringLiteral("End"), nullptr, [this] {
        const auto ignore = [](const MachineControl::Reply&) {};
        switch (state_) {
        case State::Idle:
            return;
        case State::Lost:
            return endRun(QStringLiteral("The run has ended; the waiting lines stay on the list."));
        case State::SetpointStarting:
        case State::Setpoint:
            // Stops the homing or the MDI at once; what the step still had on its way is dropped.
            ++epoch_;
            pollInFlight_ = false;
            control_->Abort(now(ignore));
            return setpointEnded(false, QStringLiteral("ended by End"));
        case State::Preparing:
        case State::PreparingHeld:
        case State::Ready: {
            // Nothing of the line ran; the abort closes whatever was opened for it.
            const QString summary = state_ == State::Ready
                                        ? QStringLiteral("Ended: %1 did not run; the waiting lines stay on the list.").arg(current())
                                        : QStringLiteral("Ended before %1 ran; the waiting lines stay on the list.").arg(current());
            ++epoch_;
            control_->Abort(now(ignore));
            return endRun(summary);
        }
        case State::Finishing:
        case State::FinishingHeld:
            // Its end was already seen: it is judged as it ended, and the run stops after it.
            enter(State::Closing);
            control_->Abort(now(ignore));
            return;
        case State::Starting:
        case State::StartingHeld:
        case State::Running:
        case State::Paused:
        case State::Aborting:
        case State::Closing:
            enter(State::Aborting);
            control_->Abort(now([this](const MachineControl::Reply& reply) {
                // The program goes on: its end is judged as it comes, and the run stops after it.
                if (toldRefusal(QStringLiteral("abort"), reply) && state_ == State::Aborting)
                    enter(State::Closing);
            }));
            return;
        }
    });
}

void WorkListRunner::Setpoint()
{
    call(QStringLiteral("Setpoint"), nullptr, [this] {
        if (!control_->IsConnected())
            throw RuntimeError(RuntimeError::DeviceUnavailable, notConnected());
        if (state_ == State::SetpointStarting || state_ == State::Setpoint)
            return;
        if (state_ != State::Idle && state_ != State::Lost)
            throw RuntimeError(RuntimeError::DeviceUnavailable,
                               QStringLiteral("%1 is running the work list: the set-point step waits until the run has ended.")
                                   .arg(control_->Name()));
        refuseUnlessReady();
        startSetpoint();
    });
}

QString WorkListRunner::RunStateText() const
{
    switch (state_) {
    case State::Running:
    case State::Aborting:
    case State::Closing:
    case State::Finishing:
        return QStringLiteral("running ") + current();
    case State::Preparing:
    case State::Starting:
        return QStringLiteral("preparing ") + current();
    case State::PreparingHeld:
    case State::Ready:
    case State::StartingHeld:
    case State::Paused:
    case State::FinishingHeld:
        return QStringLiteral("held at ") + current();
    case State::Lost:
        return QStringLiteral("held: the connection to %1 was lost").arg(control_->Name());
    case State::SetpointStarting:
    case State::Setpoint:
        return QStringLiteral("set-point step");
    case State::Idle:
        break;
    }
    return QStringLiteral("idle");
}

QString WorkListRunner::MachineStateText() const
{
    QString text = QStringLiteral("%1 at %2: ").arg(control_->Name(), control_->Endpoint());
    if (!control_->IsConnected()) {
        text += QStringLiteral("not connected");
        if (!control_->Trouble().isEmpty())
            text += QStringLiteral(" (") + control_->Trouble() + QLatin1Char(')');
        return text + QStringLiteral("; trying again.");
    }
    text += QStringLiteral("connected");
    switch (machine_.state) {
    case MachineControl::State::NotConnected:
        break; // not looked at yet
    case MachineControl::State::EStop:
        text += QStringLiteral(", E-stop");
        break;
    case MachineControl::State::Off:
        text += QStringLiteral(", machine off");
        break;
    case MachineControl::State::NotHomed:
        text += QStringLiteral(", not homed");
        break;
    default:
        text += QStringLiteral(", ") + programWord(machine_);
    }
    if (!lastError_.isEmpty())
        text += QStringLiteral("; error: ") + lastError_;
    return text;
}

MachineState WorkListRunner::Machine() const
{
    using Kind = MachineState::Kind;
    if (!control_->IsConnected()) {
        // Never reached yet (start-up): still being connected, with what the last try met.
        if (!everConnected_ || control_->Trouble().isEmpty())
            return MachineState::Of(Kind::Connecting, control_->Trouble());
        return MachineState::Of(Kind::NotConnected, control_->Trouble());
    }
    switch (state_) {
    case State::Idle:
        break;
    case State::Lost:
        return MachineState::Of(Kind::Held, QStringLiteral("the connection was lost; Start goes on"));
    case State::SetpointStarting:
    case State::Setpoint:
        return MachineState::Of(Kind::Setpoint);
    default: {
        const QString program = program_.isEmpty() ? QString() : Log::Printable(program_);
        return MachineState::AtWork(held() ? Kind::Held : Kind::Running, program, List().Position(line_),
                                    static_cast<int>(List().Entries().size()));
    }
    }
    switch (machine_.state) {
    case MachineControl::State::NotConnected:
        return MachineState::Of(Kind::Connecting); // connected, not looked at yet
    case MachineControl::State::EStop:
        return MachineState::Of(Kind::EStop);
    case MachineControl::State::Off:
        return MachineState::Of(Kind::Off);
    case MachineControl::State::NotHomed:
        return MachineState::Of(Kind::NotHomed);
    case MachineControl::State::Idle:
        return MachineState::Of(Kind::Ready);
    case MachineControl::State::Running:
        // A program started at the machine, not from the list.
        return MachineState::Of(Kind::Running);
    case MachineControl::State::Paused:
        return MachineState::Of(Kind::Held);
    case MachineControl::State::Error:
        return MachineState::Of(Kind::Fault, machine_.text);
    }
    return MachineState::Of(Kind::Connecting);
}

QString WorkListRunner::WhyAway() const
{
    const QString trouble = control_->Trouble();
    return trouble.isEmpty() ? QStringLiteral("%1: no answer yet").arg(MachineName()) : trouble;
}

QString WorkListRunner::MachineName() const
{
    return QStringLiteral("%1 at %2").arg(control_->Name(), control_->Endpoint());
}

void WorkListRunner::control_Connected()
{
    connectedBefore_ = true;
    everConnected_ = true;
    machine_ = MachineControl::Status{};
    parameters_.clear(); // a control that started anew has them all at 0
    if (state_ == State::Lost)
        tell(QStringLiteral("%1 is connected again: Start goes on with the waiting lines.").arg(control_->Name()));
    else
        Q_EMIT Changed();
    schedulePoll();
}

void WorkListRunner::control_Lost(const QString& reason)
{
    ++epoch_;
    pollInFlight_ = false;
    poll_.stop();
    const bool wasActive = state_ != State::Idle && state_ != State::Lost;
    const bool setpoint = state_ == State::SetpointStarting || state_ == State::Setpoint;
    machine_ = MachineControl::Status{};
    if (programMayRun()) {
        const QString why = QStringLiteral("the connection to %1 was lost while it ran: check the machine (%2)").arg(control_->Name(), reason);
        finishLine(WorkList::State::Unknown, why);
        tell(QStringLiteral("Connection to %1 lost while %2 ran: its state is unknown, nothing was removed. Reconnecting.")
                 .arg(control_->Name(), current()),
             Tone::Error);
    } else if (wasActive) {
        tell(QStringLiteral("Connection to %1 lost: the run is held, nothing was removed. Reconnecting.").arg(control_->Name()), Tone::Error);
    } else if (connectedBefore_) {
        tell(QStringLiteral("Connection to %1 lost. Reconnecting.").arg(control_->Name()), Tone::Warning);
    }
    connectedBefore_ = false;
    if (setpoint)
        Log::Warning(QStringLiteral("the set-point step did not end: %1").arg(reason));
    enter(setpoint || state_ == State::Idle ? State::Idle : State::Lost);
    Q_EMIT Changed();
}

void WorkListRunner::poll_timeout()
{
    if (pollInFlight_ || !control_->IsConnected())
        return;
    switch (state_) {
    case State::Running:
    case State::Paused:
    case State::Aborting:
    case State::Closing:
        watch();
        break;
    case State::Setpoint:
        watchSetpoint();
        break;
    case State::Idle:
    case State::Ready:
    case State::Lost:
        pollIdle();
        break;
    default:
        break; // a step is on its way; it polls again when it is done
    }
}

MachineControl::Then WorkListRunner::now(std::function<void(const MachineControl::Reply&)> then)
{
    return [this, epoch = epoch_, then = std::move(then)](const MachineControl::Reply& reply) {
        if (epoch != epoch_)
            return;
        if (reply.kind == MachineControl::Reply::Kind::NotSent)
            return notSent(reply.text);
        then(reply);
    };
}

void WorkListRunner::nextLine(bool machineSeen)
{
    if (state_ == State::Closing)
        return endRun(QStringLiteral("Ended; the waiting lines stay on the list."));
    const WorkList::Entry* entry = List().NextWaiting();
    if (!entry)
        return endRun(QStringLiteral("The work list has run: %1 program(s) done.").arg(done_));
    enter(held() ? State::PreparingHeld : State::Preparing);
    line_ = entry->id;
    program_ = entry->fields.Value(programField);
    errors_.clear();
    Q_EMIT Changed();
    // Right after a program's end the machine's state and its messages have just been read.
    if (machineSeen)
        return setParameters();
    control_->Look(now([this](const MachineControl::Reply& reply) { checked(reply); }));
}

void WorkListRunner::checked(const MachineControl::Reply& reply)
{
    machine_ = reply.status;
    const QString why = notReady(machine_, QStringLiteral("nothing of the work list runs meanwhile."));
    if (!why.isEmpty())
        return refuse(why);
    // Whatever is queued now came before this line: the line's own messages must not be mixed with it.
    control_->ReadMessages(now([this](const MachineControl::Reply& earlier) {
        for (const QString& text : earlier.messages)
            Log::Warning(QStringLiteral("%1 reported before %2 ran: %3").arg(control_->Name(), current(), text));
        setParameters();
    }));
}

void WorkListRunner::setParameters()
{
    const WorkList::Entry* entry = List().Find(line_);
    if (!entry)
        return nextLine(); // cleared from the list meanwhile
    // Every number ever set goes with it, as 0 when this line lacks it: no value is left over.
    const MachineControl::Line line = control_->Read(entry->fields, parameters_);
    if (!line.refusal.isEmpty())
        return lineEnded(WorkList::State::Failed, line.refusal);
    program_ = line.program; // the name checked is the name opened
    for (int number : line.numbers)
        parameters_.insert(number);
    control_->TakeParameters(line.parameters, now([this](const MachineControl::Reply& reply) {
        switch (reply.kind) {
        case MachineControl::Reply::Kind::NotHomed:
            return refuse(QStringLiteral("%1's machine is not homed (%2): nothing runs until it is (Setpoint homes it).")
                              .arg(control_->Name(), reply.text));
        case MachineControl::Reply::Kind::Done:
            return openProgram();
        case MachineControl::Reply::Kind::Refused:
            return refuse(reply.text);
        default:
            return lineEnded(WorkList::State::Failed, reply.text);
        }
    }));
}

void WorkListRunner::openProgram()
{
    control_->Open(program_, now([this](const MachineControl::Reply& reply) {
        switch (reply.kind) {
        case MachineControl::Reply::Kind::Done:
            return runProgram();
        case MachineControl::Reply::Kind::Refused:
            return refuse(reply.text);
        default:
            return lineEnded(WorkList::State::Failed, reply.text);
        }
    }));
}

void WorkListRunner::runProgram()
{
    if (state_ == State::PreparingHeld) {
        enter(State::Ready);
        Q_EMIT Changed();
        return schedulePoll();
    }
    // Cleared from the list while it was prepared: only what is on the list runs.
    if (!List().Find(line_)) {
        Log::Info(QStringLiteral("%1 has left the list before it ran").arg(current()));
        return nextLine();
    }
    enter(State::Starting);
    runAsked_ = true;
    heldMs_ = 0;
    Q_EMIT RunStarted(line_);
    control_->Run(now([this](const MachineControl::Reply& reply) {
        if (reply.kind != MachineControl::Reply::Kind::Done)
            return refuse(QStringLiteral("%1 refused to run %2 (%3).").arg(control_->Name(), current(), reply.text));
        programSeen_ = false;
        idleUnseen_ = 0;
        programSince_.start();
        noteTiming();
        mark(line_, WorkList::State::Running);
        if (state_ == State::StartingHeld) {
            enter(State::Paused);
            control_->Pause(now([this](const MachineControl::Reply& paused) { toldRefusal(QStringLiteral("hold"), paused); }));
        } else if (state_ == State::Starting) {
            enter(State::Running);
        }
        Q_EMIT Changed();
        schedulePoll();
    }));
}

void WorkListRunner::watch()
{
    pollInFlight_ = true;
    control_->Watch(now([this](const MachineControl::Reply& reply) { watched(reply); }));
}

void WorkListRunner::watched(const MachineControl::Reply& reply)
{
    pollInFlight_ = false;
    for (const QString& message : reply.messages) {
        if (!errors_.contains(message))
            errors_ << message;
    }
    if (reply.moved || !errors_.isEmpty())
        programSeen_ = true;
    const MachineControl::State program = reply.status.state;
    if (reply.status != machine_) {
        machine_ = reply.status;
        // Paused or resumed at the machine: the run follows, so Start resumes it.
        if (program == MachineControl::State::Paused && state_ == State::Running)
            enter(State::Paused);
        else if (program == MachineControl::State::Running && state_ == State::Paused)
            enter(State::Running);
        Q_EMIT Changed();
    }
    if (program == MachineControl::State::Idle) {
        // Idle before it was ever seen at work: not over, maybe not even begun.
        if (programSeen_ || state_ == State::Aborting || state_ == State::Closing)
            return programEnded();
        if (++idleUnseen_ >= timing_.unprovenIdlePolls)
            return lineEnded(WorkList::State::Unknown, reply.text + QStringLiteral(": whether the program ran is not known"));
    }
    schedulePoll();
}

void WorkListRunner::programEnded()
{
    since_.start();
    answeringSince_ = control_->AnsweringNs();
    if (state_ == State::Running)
        enter(State::Finishing);
    else if (state_ == State::Paused)
        enter(State::FinishingHeld);
    control_->Finish(now([this](const MachineControl::Reply& reply) { settle(reply); }));
}

void WorkListRunner::settle(const MachineControl::Reply& reply)
{
    for (const QString& message : reply.messages) {
        if (!errors_.contains(message))
            errors_ << message;
    }
    machine_ = reply.status;
    const double seconds = static_cast<double>(programSince_.elapsed()) / 1000.0;
    if (state_ == State::Aborting)
        return lineEnded(WorkList::State::Aborted, QStringLiteral("ended by End"));
    if (!errors_.isEmpty())
        return lineEnded(WorkList::State::Failed, errors_.join(QStringLiteral("; ")));
    if (machine_.state == MachineControl::State::EStop)
        return lineEnded(WorkList::State::Aborted, QStringLiteral("E-stop while it ran"));
    if (machine_.state == MachineControl::State::Off)
        return lineEnded(WorkList::State::Aborted, QStringLiteral("the machine was switched off while it ran"));
    finishLine(WorkList::State::Done);
    ++done_;
    Log::Info(QStringLiteral("%1 done after %2 s").arg(current()).arg(seconds, 0, 'f', 2));
    nextLine(true);
}

void WorkListRunner::lineEnded(WorkList::State state, const QString& why)
{
    finishLine(state, why);
    lastError_ = state == WorkList::State::Failed ? why : QString();
    endRun(QStringLiteral("%1 %2: %3. The run has stopped; the waiting lines stay on the list.")
               .arg(current(), WorkList::StateText(state), why),
           Tone::Error);
}

bool WorkListRunner::toldRefusal(const QString& act, const MachineControl::Reply& reply)
{
    if (reply.kind == MachineControl::Reply::Kind::Done)
        return false;
    tell(QStringLiteral("%1 did not %2 %3: %4").arg(control_->Name(), act, current(), reply.text), Tone::Error);
    return true;
}

void WorkListRunner::refuse(const QString& why)
{
    Log::Info(QStringLiteral("%1 stays waiting").arg(current()));
    endRun(why, Tone::Warning);
}

void WorkListRunner::endRun(const QString& summary, Tone tone)
{
    ++epoch_;
    pollInFlight_ = false;
    // Run refused: the line stays waiting, and whoever saw its run start learns that it did not.
    if (std::exchange(runAsked_, false))
        Q_EMIT RunEnded(line_, WorkList::State::Waiting, summary, 0);
    enter(State::Idle);
    line_ = 0;
    program_.clear();
    tell(summary, tone);
    schedulePoll();
}

void WorkListRunner::resume()
{
    Log::Info(QStringLiteral("the run goes on at %1").arg(current()));
    switch (state_) {
    case State::PreparingHeld:
        enter(State::Preparing);
        break;
    case State::StartingHeld:
        enter(State::Starting);
        break;
    case State::FinishingHeld:
        enter(State::Finishing);
        break;
    case State::Paused:
        enter(State::Running);
        control_->Resume(now([this](const MachineControl::Reply& reply) { toldRefusal(QStringLiteral("resume"), reply); }));
        break;
    case State::Ready:
        enter(State::Preparing);
        runProgram();
        break;
    default:
        break;
    }
    Q_EMIT Changed();
}

void WorkListRunner::startSetpoint()
{
    enter(State::SetpointStarting);
    setpointSince_.start();
    Q_EMIT Changed();
    control_->ReadMessages(now([this](const MachineControl::Reply& earlier) {
        for (const QString& text : earlier.messages)
            Log::Warning(QStringLiteral("%1 reported before the set-point step: %2").arg(control_->Name(), text));
        control_->StartSetpoint(now([this](const MachineControl::Reply& reply) {
            if (reply.kind != MachineControl::Reply::Kind::Done)
                return setpointEnded(false, reply.text);
            enter(State::Setpoint);
            poll_.start(timing_.setpointPollMs);
        }));
    }));
}

void WorkListRunner::watchSetpoint()
{
    pollInFlight_ = true;
    control_->WatchSetpoint(now([this](const MachineControl::Reply& reply) {
        pollInFlight_ = false;
        if (reply.kind != MachineControl::Reply::Kind::Done)
            return setpointEnded(false, reply.text);
        if (reply.over)
            return setpointEnded(true, QString());
        if (setpointSince_.elapsed() > timing_.setpointLimitMs)
            return setpointEnded(false, QStringLiteral("%1 did not finish it within %2 minutes")
                                            .arg(control_->Name())
                                            .arg(timing_.setpointLimitMs / 60000));
        poll_.start(timing_.setpointPollMs);
    }));
}

void WorkListRunner::setpointEnded(bool done, const QString& why)
{
    enter(State::Idle);
    if (done) {
        countSetpoint();
        tell(QStringLiteral("Set-point step done."));
    } else {
        lastError_ = why;
        tell(QStringLiteral("Set-point step failed: %1").arg(why), Tone::Error);
    }
    schedulePoll();
}

void WorkListRunner::notSent(const QString& why)
{
    pollInFlight_ = false;
    if (state_ == State::SetpointStarting || state_ == State::Setpoint)
        return setpointEnded(false, why);
    if (line_ != 0 && state_ != State::Idle && state_ != State::Lost)
        // Once Run was asked, the program may run whatever was refused after it.
        return lineEnded(programMayRun() ? WorkList::State::Unknown : WorkList::State::Failed, why);
    tell(why, Tone::Error);
    schedulePoll();
}

void WorkListRunner::schedulePoll()
{
    if (!control_->IsConnected())
        return;
    switch (state_) {
    case State::Running:
    case State::Paused:
    case State::Aborting:
    case State::Closing:
        poll_.start(timing_.watchPollMs);
        break;
    case State::Setpoint:
        poll_.start(timing_.setpointPollMs);
        break;
    case State::Idle:
    case State::Ready:
    case State::Lost:
        poll_.start(timing_.idlePollMs);
        break;
    default:
        break;
    }
}

void WorkListRunner::pollIdle()
{
    pollInFlight_ = true;
    control_->Look(now([this](const MachineControl::Reply& reply) {
        pollInFlight_ = false;
        if (reply.status != machine_) {
            machine_ = reply.status;
            Q_EMIT Changed();
        }
        schedulePoll();
    }), true);
}

void WorkListRunner::refuseUnlessReady() const
{
    if (machine_.state == MachineControl::State::NotConnected)
        return; // not looked at yet: the run's first step looks
    const QString why = notReady(machine_, QStringLiteral("nothing runs meanwhile."));
    if (!why.isEmpty())
        throw RuntimeError(RuntimeError::DeviceUnavailable, why);
}

QString WorkListRunner::notReady(const MachineControl::Status& machine, const QString& busyTail) const
{
    const QString name = control_->Name();
    switch (machine.state) {
    case MachineControl::State::Idle:
        return QString();
    case MachineControl::State::NotConnected:
        return notConnected();
    case MachineControl::State::EStop:
        return QStringLiteral("%1 is in E-stop: nothing runs until the operator releases it at the machine.").arg(name);
    case MachineControl::State::Off:
        return QStringLiteral("%1's machine is off: nothing runs until the operator switches it on at the machine.").arg(name);
    case MachineControl::State::NotHomed:
        return QStringLiteral("%1's machine is not homed: nothing runs until it is (Setpoint homes it).").arg(name);
    default:
        return QStringLiteral("%1 is busy (its program is %2): %3").arg(name, programWord(machine), busyTail);
    }
}

bool WorkListRunner::programMayRun() const
{
    switch (state_) {
    case State::Starting:
    case State::StartingHeld:
    case State::Running:
    case State::Paused:
    case State::Aborting:
    case State::Closing:
    case State::Finishing:
    case State::FinishingHeld:
        return true;
    default:
        return false;
    }
}

bool WorkListRunner::held() const
{
    return state_ == State::PreparingHeld || state_ == State::Ready || state_ == State::StartingHeld || state_ == State::Paused ||
           state_ == State::FinishingHeld;
}

QString WorkListRunner::current() const
{
    const int position = List().Position(line_);
    const QString name = program_.isEmpty() ? QStringLiteral("the line") : Log::Printable(program_);
    return position > 0 ? QStringLiteral("%1 (line %2)").arg(name).arg(position) : name;
}

QString WorkListRunner::notConnected() const
{
    QString text = QStringLiteral("%1 is not connected (%2)").arg(control_->Name(), control_->Endpoint());
    if (!control_->Trouble().isEmpty())
        text += QStringLiteral(": ") + control_->Trouble();
    return text + QStringLiteral("; the lines are kept, Tarvex connects by itself.");
}

void WorkListRunner::noteTiming()
{
    const qint64 answering = control_->AnsweringNs() - answeringSince_;
    const qint64 total = since_.nsecsElapsed();
    // A hold in between is the operator's time, not the link's.
    if (std::exchange(heldMeanwhile_, false)) {
        firstOfRun_ = false;
        return Log::Info(QStringLiteral("%1 runs after a hold").arg(current()));
    }
    Log::Info(QStringLiteral("%1 runs: %2 ms after %3, %4 answering %5 ms of it, Tarvex %6 ms")
                  .arg(current())
                  .arg(ms(total), 0, 'f', 1)
                  .arg(firstOfRun_ ? QStringLiteral("Start") : QStringLiteral("the previous program ended"))
                  .arg(control_->Name())
                  .arg(ms(answering), 0, 'f', 1)
                  .arg(ms(total - answering), 0, 'f', 1));
    firstOfRun_ = false;
}
