#include "listmgr/LinuxCncListManager.h"

#include "config/Spaces.h"
#include "listmgr/LinuxCncLine.h"
#include "platform/FileSearch.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "platform/TcpLineChannel.h"

#include <utility>

namespace {
// Errors read in one go at most: LinuxCNC's queue is small, and a reader must end.
constexpr int maxErrors = 20;

// What Start judges the machine by: E-stop, power, and whether a program runs.
const QString setPause = QStringLiteral("set pause");
const QString setAbort = QStringLiteral("set abort");
const QString setRun = QStringLiteral("set run");

const QStringList machineQueries{QStringLiteral("get estop"), QStringLiteral("get machine"), QStringLiteral("get program_status")};

// "ESTOP ON" → "ON"; an answer of another kind comes back whole.
QString valueOf(const QString& answer, const QString& key)
{
    const QString prefix = key + QLatin1Char(' ');
    return answer.startsWith(prefix, Qt::CaseInsensitive) ? answer.mid(prefix.size()).trimmed().toUpper() : answer;
}

QString errorText(const QString& answer)
{
    return answer.startsWith(QLatin1String("ERROR "), Qt::CaseInsensitive) ? answer.mid(6).trimmed() : answer;
}

// The first set that was not acknowledged, as the operator reads it; empty when all were.
QString refusedSet(const QStringList& commands, const QStringList& answers)
{
    for (qsizetype i = 0; i < answers.size() && i < commands.size(); ++i) {
        if (commands[i].startsWith(QLatin1String("set "), Qt::CaseInsensitive) && !LinuxCncClient::Acknowledged(commands[i], answers[i]))
            return QStringLiteral("LinuxCNC refused \"%1\" (%2)").arg(LinuxCncClient::Shown(commands[i]), answers[i]);
    }
    return QString();
}

double ms(qint64 ns)
{
    return static_cast<double>(ns) / 1e6;
}
} // namespace

LinuxCncListManager::LinuxCncListManager(LinuxCncSettings settings)
    : LinuxCncListManager(std::move(settings), std::make_unique<TcpLineChannel>(), Timing())
{
}

LinuxCncListManager::LinuxCncListManager(LinuxCncSettings settings, std::unique_ptr<LineChannel> channel, Timing timing)
    : settings_(std::move(settings)), timing_(timing), channel_(std::move(channel)),
      client_(*channel_, settings_, Journal(), timing_.client)
{
    poll_.setSingleShot(true);
    connect(&poll_, &QTimer::timeout, this, &LinuxCncListManager::poll_timeout);
    connect(&client_, &LinuxCncClient::Connected, this, &LinuxCncListManager::client_Connected);
    connect(&client_, &LinuxCncClient::Lost, this, &LinuxCncListManager::client_Lost);
    Log::Info(QStringLiteral("list manager: LinuxCNC at %1, programs from %2").arg(settings_.Endpoint(), settings_.programFolder));
    client_.Open();
}

LinuxCncListManager::~LinuxCncListManager() = default;

bool LinuxCncListManager::NewList()
{
    // Asked again and again while start-up waits: only the answer that hands out the list is journalled.
    if (!client_.IsConnected())
        return false;
    call(QStringLiteral("NewList"), nullptr, [] {});
    return true;
}

void LinuxCncListManager::Start()
{
    call(QStringLiteral("Start"), nullptr, [this] {
        if (!client_.IsConnected())
            throw RuntimeError(RuntimeError::DeviceUnavailable, notConnected());
        if (run_ == Run::Running)
            return; // lines added meanwhile run in their turn
        if (run_ == Run::Held) {
            resume();
            return;
        }
        if (step_ == Step::Setpoint)
            throw RuntimeError(RuntimeError::DeviceUnavailable,
                               QStringLiteral("LinuxCNC is still running the set-point step; Start again when it has ended."));
        refuseUnlessReady();
        if (!List().NextWaiting()) {
            run_ = Run::Idle;
            Log::Info(QStringLiteral("Start: no line is waiting"));
            Q_EMIT Changed();
            return;
        }
        run_ = Run::Running;
        holdWanted_ = endWanted_ = abortsProgram_ = heldMeanwhile_ = false;
        done_ = 0;
        lastError_.clear();
        firstOfRun_ = true;
        since_.start();
        answeringSince_ = client_.AnsweringNs();
        Log::Info(QStringLiteral("LinuxCNC runs the work list"));
        nextLine();
    });
}

void LinuxCncListManager::Hold()
{
    call(QStringLiteral("Hold"), nullptr, [this] {
        if (run_ != Run::Running)
            return; // nothing runs, nothing to hold
        holdWanted_ = true;
        run_ = Run::Held;
        heldMeanwhile_ = true;
        // Between two programs the next one simply does not start.
        if (step_ == Step::Watching)
            control({setPause}, [this](const QStringList& answers) { toldRefusal(QStringLiteral("hold"), setPause, answers[0]); });
        Log::Info(QStringLiteral("the run is held at %1").arg(current()));
        Q_EMIT Changed();
    });
}

void LinuxCncListManager::End()
{
    call(QStringLiteral("End"), nullptr, [this] {
        if (run_ == Run::Lost) {
            endRun(QStringLiteral("The run has ended; the waiting lines stay on the list."));
            return;
        }
        if (!IsRunning())
            return;
        endWanted_ = true;
        // A program whose end was already seen is done, not aborted.
        abortsProgram_ = step_ == Step::Starting || step_ == Step::Watching;
        // Stops the program, an MDI or the homing at once; the step on its way sees the wish.
        control({setAbort}, [this, watched = abortsProgram_](const QStringList& answers) {
            // The program goes on: its end is judged as it comes, and the run stops after it.
            if (watched && toldRefusal(QStringLiteral("abort"), setAbort, answers[0]))
                abortsProgram_ = false;
        });
        if (step_ == Step::ReadyToRun)
            endRun(QStringLiteral("Ended: %1 did not run; the waiting lines stay on the list.").arg(current()));
    });
}

void LinuxCncListManager::Setpoint()
{
    call(QStringLiteral("Setpoint"), nullptr, [this] {
        if (!client_.IsConnected())
            throw RuntimeError(RuntimeError::DeviceUnavailable, notConnected());
        if (step_ == Step::Setpoint)
            return;
        if (run_ != Run::Idle && run_ != Run::Lost)
            throw RuntimeError(RuntimeError::DeviceUnavailable,
                               QStringLiteral("LinuxCNC is running the work list: the set-point step waits until the run has ended."));
        refuseUnlessReady();
        startSetpoint();
    });
}

QString LinuxCncListManager::RunStateText() const
{
    switch (run_) {
    case Run::Running:
        return (step_ == Step::Watching || step_ == Step::Finishing ? QStringLiteral("running ") : QStringLiteral("preparing ")) +
               current();
    case Run::Held:
        return QStringLiteral("held at ") + current();
    case Run::Lost:
        return QStringLiteral("held: the connection to LinuxCNC was lost");
    case Run::Idle:
        break;
    }
    return step_ == Step::Setpoint ? QStringLiteral("set-point step") : QStringLiteral("idle");
}

QString LinuxCncListManager::MachineStateText() const
{
    QString text = QStringLiteral("LinuxCNC at %1: ").arg(settings_.Endpoint());
    if (!client_.IsConnected()) {
        text += QStringLiteral("not connected");
        if (!client_.Trouble().isEmpty())
            text += QStringLiteral(" (") + client_.Trouble() + QLatin1Char(')');
        return text + QStringLiteral("; trying again.");
    }
    text += QStringLiteral("connected");
    if (machine_.known) {
        if (machine_.estop != QLatin1String("OFF"))
            text += QStringLiteral(", E-stop");
        else if (machine_.power != QLatin1String("ON"))
            text += QStringLiteral(", machine off");
        else
            text += QStringLiteral(", ") + machine_.status.toLower();
    }
    if (!lastError_.isEmpty())
        text += QStringLiteral("; error: ") + lastError_;
    return text;
}

void LinuxCncListManager::client_Connected()
{
    connectedBefore_ = true;
    machine_ = Machine{};
    parameters_.clear(); // a LinuxCNC that started anew has them all at 0
    if (run_ == Run::Lost)
        tell(QStringLiteral("LinuxCNC is connected again: Start goes on with the waiting lines."));
    else
        Q_EMIT Changed();
    schedulePoll();
}

void LinuxCncListManager::client_Lost(const QString& reason)
{
    ++epoch_;
    pollInFlight_ = false;
    poll_.stop();
    const bool wasActive = IsRunning() && run_ != Run::Lost;
    machine_ = Machine{};
    if (step_ == Step::Starting || step_ == Step::Watching || step_ == Step::Finishing) {
        const QString why = QStringLiteral("the connection to LinuxCNC was lost while it ran: check the machine (%1)").arg(reason);
        mark(line_, WorkList::State::Unknown, why);
        tell(QStringLiteral("Connection to LinuxCNC lost while %1 ran: its state is unknown, nothing was removed. Reconnecting.")
                 .arg(current()),
             Tone::Error);
    } else if (wasActive) {
        tell(QStringLiteral("Connection to LinuxCNC lost: the run is held, nothing was removed. Reconnecting."), Tone::Error);
    } else if (connectedBefore_) {
        tell(QStringLiteral("Connection to LinuxCNC lost. Reconnecting."), Tone::Warning);
    }
    connectedBefore_ = false;
    if (step_ == Step::Setpoint)
        Log::Warning(QStringLiteral("the set-point step did not end: %1").arg(reason));
    if (run_ != Run::Idle)
        run_ = Run::Lost;
    step_ = Step::None;
    holdWanted_ = endWanted_ = abortsProgram_ = false;
    Q_EMIT Changed();
}

void LinuxCncListManager::poll_timeout()
{
    if (pollInFlight_ || !client_.IsConnected())
        return;
    switch (step_) {
    case Step::Watching:
        watch();
        break;
    case Step::Setpoint:
        // Until LinuxCNC has taken the step's commands, what it shows is from before.
        if (setpointIssued_)
            watchSetpoint();
        break;
    case Step::None:
    case Step::ReadyToRun:
        pollIdle();
        break;
    default:
        break; // a step is on its way; it polls again when it is done
    }
}

void LinuxCncListManager::nextLine(bool machineSeen)
{
    if (endWanted_)
        return endRun(QStringLiteral("Ended; the waiting lines stay on the list."));
    const WorkList::Entry* entry = List().NextWaiting();
    if (!entry)
        return endRun(QStringLiteral("The work list has run: %1 program(s) done.").arg(done_));
    line_ = entry->id;
    program_ = WorkListManager::FieldValue(entry->line, LinuxCncLine::ProgramField);
    errors_.clear();
    Q_EMIT Changed();
    // Right after a program's end the machine's state and its messages have just been read.
    if (machineSeen)
        return setParameters();
    step_ = Step::Checking;
    send(machineQueries, [this](const QStringList& answers) { checked(answers); });
}

void LinuxCncListManager::checked(const QStringList& answers)
{
    machine_ = machineFrom(answers);
    const QString why = notReady(machine_, QStringLiteral("nothing of the work list runs meanwhile."));
    if (!why.isEmpty())
        return refuse(why);
    // Whatever is queued now came before this line: the line's own errors must not be mixed with it.
    readErrors([this](const QStringList& earlier) {
        for (const QString& text : earlier)
            Log::Warning(QStringLiteral("LinuxCNC reported before %1 ran: %2").arg(current(), text));
        setParameters();
    });
}

void LinuxCncListManager::setParameters()
{
    step_ = Step::Parameters;
    if (endWanted_)
        return endBeforeRun();
    const WorkList::Entry* entry = List().Find(line_);
    if (!entry)
        return nextLine(); // cleared from the list meanwhile
    const LinuxCncLine line(entry->line);
    if (!line.Refusal().isEmpty())
        return lineEnded(WorkList::State::Failed, line.Refusal());
    program_ = line.ProgramName(); // the name checked is the name opened

    QStringList commands{QStringLiteral("set enable ") + settings_.enablePassword, QStringLiteral("set abort"),
                         QStringLiteral("set mode mdi")};
    for (const QString& mdi : line.MdiCommands(parameters_))
        commands << QStringLiteral("set mdi ") + mdi;
    commands << QStringLiteral("set wait done");
    const QList<int> numbers = line.Numbers();
    send(commands, [this, commands, numbers](const QStringList& answers) {
        if (endWanted_)
            return endBeforeRun();
        // A refused set and its reason come apart: the reason, if any, is in the error queue.
        const QString refused = refusedSet(commands, answers);
        if (refused.isEmpty()) {
            for (int number : numbers)
                parameters_.insert(number);
        }
        readErrors([this, refused](const QStringList& errors) {
            const QString text = errors.join(QStringLiteral("; "));
            // LinuxCNC takes no MDI before homing unless its configuration allows it: not ready.
            if (text.contains(QLatin1String("not homed"), Qt::CaseInsensitive))
                return refuse(QStringLiteral("LinuxCNC's machine is not homed (%1): nothing runs until it is (Setpoint homes it).").arg(text));
            if (!errors.isEmpty())
                return lineEnded(WorkList::State::Failed, text);
            if (!refused.isEmpty())
                return refuse(refused);
            openProgram();
        });
    });
}

void LinuxCncListManager::openProgram()
{
    if (endWanted_)
        return endBeforeRun();
    QString why;
    const QString path = programPath(program_, why);
    if (path.isEmpty())
        return lineEnded(WorkList::State::Failed, why);
    const QStringList commands{QStringLiteral("set mode auto"), QStringLiteral("set open ") + path, QStringLiteral("get program"),
                               QStringLiteral("get program_line")};
    step_ = Step::Opening;
    send(commands, [this, commands, path](const QStringList& answers) {
        if (endWanted_)
            return endBeforeRun();
        const QString refused = refusedSet(commands, answers);
        const QString opened = answers[2];
        lineBefore_ = valueOf(answers[3], QStringLiteral("PROGRAM_LINE"));
        readErrors([this, path, refused, opened](const QStringList& errors) {
            if (!errors.isEmpty())
                return lineEnded(WorkList::State::Failed, errors.join(QStringLiteral("; ")));
            if (!refused.isEmpty())
                return refuse(refused);
            // A program still open from before would run in its place.
            if (opened != QStringLiteral("PROGRAM ") + path)
                return lineEnded(WorkList::State::Failed, QStringLiteral("LinuxCNC did not open %1 (%2)").arg(path, opened));
            runProgram();
        });
    });
}

void LinuxCncListManager::runProgram()
{
    if (endWanted_) {
        control({setAbort}, [](const QStringList&) {}); // closes the opened program
        return endBeforeRun();
    }
    if (holdWanted_) {
        step_ = Step::ReadyToRun;
        Q_EMIT Changed();
        return schedulePoll();
    }
    // Cleared from the list while it was prepared: only what is on the list runs.
    if (!List().Find(line_)) {
        Log::Info(QStringLiteral("%1 has left the list before it ran").arg(current()));
        return nextLine();
    }
    step_ = Step::Starting;
    control({setRun}, [this](const QStringList& answers) {
        // The client took the answer only as one to "set run": what is not its ACK is its NAK.
        if (!LinuxCncClient::Acknowledged(setRun, answers[0]))
            return refuse(QStringLiteral("LinuxCNC refused to run %1 (%2).").arg(current(), answers[0]));
        step_ = Step::Watching;
        watchPolls_ = 0;
        runSeen_ = false;
        idleUnseen_ = 0;
        programSince_.start();
        noteTiming();
        mark(line_, WorkList::State::Running);
        if (holdWanted_)
            control({setPause}, [this](const QStringList& paused) { toldRefusal(QStringLiteral("hold"), setPause, paused[0]); });
        Q_EMIT Changed();
        schedulePoll();
    });
}

void LinuxCncListManager::watch()
{
    QStringList commands{QStringLiteral("get program_status"), QStringLiteral("get error")};
    // Until the program is seen running, its line number tells whether LinuxCNC has read it.
    const qsizetype lineAt = runSeen_ ? -1 : commands.size();
    if (!runSeen_)
        commands << QStringLiteral("get program_line");
    const bool heartbeat = ++watchPolls_ % timing_.heartbeatPolls == 0;
    const qsizetype heartbeatAt = commands.size();
    if (heartbeat)
        commands << QStringLiteral("get optional_stop");
    pollInFlight_ = true;
    send(commands, [this, heartbeat, lineAt, heartbeatAt](const QStringList& answers) {
        pollInFlight_ = false;
        const QString error = errorText(answers[1]);
        if (error.compare(QLatin1String("OK"), Qt::CaseInsensitive) != 0 && !errors_.contains(error))
            errors_ << error;
        // A set goes to LinuxCNC's task, which answers it only while it lives: setting the
        // optional stop to what it is changes nothing, yet shows a LinuxCNC that died.
        if (heartbeat) {
            const bool optionalStop = valueOf(answers[heartbeatAt], QStringLiteral("OPTIONAL_STOP")) != QLatin1String("0");
            control({QStringLiteral("set optional_stop ") + (optionalStop ? QStringLiteral("1") : QStringLiteral("0"))},
                    [](const QStringList&) {}, true);
        }
        const QString status = valueOf(answers[0], QStringLiteral("PROGRAM_STATUS"));
        if (status == QLatin1String("RUNNING") || status == QLatin1String("PAUSED") || !errors_.isEmpty() ||
            (lineAt >= 0 && valueOf(answers[lineAt], QStringLiteral("PROGRAM_LINE")) != lineBefore_))
            runSeen_ = true;
        if (status != machine_.status) {
            machine_.status = status;
            // Paused or resumed at the machine: the run follows, so Start resumes it.
            if (status == QLatin1String("PAUSED") && run_ == Run::Running)
                run_ = Run::Held;
            else if (status == QLatin1String("RUNNING") && run_ == Run::Held) {
                run_ = Run::Running;
                holdWanted_ = false;
            }
            Q_EMIT Changed();
        }
        if (status == QLatin1String("IDLE")) {
            // Idle before it was ever seen at work: not over, maybe not even begun.
            if (runSeen_ || endWanted_)
                return programEnded();
            if (++idleUnseen_ >= timing_.unprovenIdlePolls)
                return lineEnded(WorkList::State::Unknown,
                                 QStringLiteral("LinuxCNC acknowledged \"set run\" but then stayed idle, its line number still "
                                                "%1 and no error reported: whether the program ran is not known")
                                     .arg(lineBefore_));
        }
        schedulePoll();
    }, true);
}

void LinuxCncListManager::programEnded()
{
    since_.start();
    answeringSince_ = client_.AnsweringNs();
    step_ = Step::Finishing;
    readErrors([this](const QStringList& more) {
        for (const QString& error : more) {
            if (!errors_.contains(error))
                errors_ << error;
        }
        send({QStringLiteral("get estop"), QStringLiteral("get machine")}, [this](const QStringList& answers) { settle(answers); });
    });
}

void LinuxCncListManager::settle(const QStringList& answers)
{
    machine_.estop = valueOf(answers[0], QStringLiteral("ESTOP"));
    machine_.power = valueOf(answers[1], QStringLiteral("MACHINE"));
    const double seconds = static_cast<double>(programSince_.elapsed()) / 1000.0;
    if (endWanted_ && abortsProgram_)
        return lineEnded(WorkList::State::Aborted, QStringLiteral("ended by End"));
    if (!errors_.isEmpty())
        return lineEnded(WorkList::State::Failed, errors_.join(QStringLiteral("; ")));
    if (machine_.estop != QLatin1String("OFF"))
        return lineEnded(WorkList::State::Aborted, QStringLiteral("E-stop while it ran"));
    if (machine_.power != QLatin1String("ON"))
        return lineEnded(WorkList::State::Aborted, QStringLiteral("the machine was switched off while it ran"));
    mark(line_, WorkList::State::Done);
    ++done_;
    Log::Info(QStringLiteral("%1 done after %2 s").arg(current()).arg(seconds, 0, 'f', 2));
    nextLine(true);
}

void LinuxCncListManager::lineEnded(WorkList::State state, const QString& why)
{
    mark(line_, state, why);
    lastError_ = state == WorkList::State::Failed ? why : QString();
    endRun(QStringLiteral("%1 %2: %3. The run has stopped; the waiting lines stay on the list.")
               .arg(current(), WorkList::StateText(state), why),
           Tone::Error);
}

bool LinuxCncListManager::toldRefusal(const QString& act, const QString& command, const QString& answer)
{
    if (LinuxCncClient::Acknowledged(command, answer))
        return false;
    tell(QStringLiteral("LinuxCNC did not %1 %2: %3").arg(act, current(), answer), Tone::Error);
    return true;
}

void LinuxCncListManager::endBeforeRun()
{
    endRun(QStringLiteral("Ended before %1 ran; the waiting lines stay on the list.").arg(current()));
}

void LinuxCncListManager::refuse(const QString& why)
{
    Log::Info(QStringLiteral("%1 stays waiting").arg(current()));
    endRun(why, Tone::Warning);
}

void LinuxCncListManager::endRun(const QString& summary, Tone tone)
{
    ++epoch_;
    pollInFlight_ = false;
    run_ = Run::Idle;
    step_ = Step::None;
    holdWanted_ = endWanted_ = abortsProgram_ = false;
    line_ = 0;
    program_.clear();
    tell(summary, tone);
    schedulePoll();
}

void LinuxCncListManager::resume()
{
    holdWanted_ = false;
    run_ = Run::Running;
    Log::Info(QStringLiteral("the run goes on at %1").arg(current()));
    if (step_ == Step::Watching)
        control({QStringLiteral("set resume")},
                [this](const QStringList& answers) { toldRefusal(QStringLiteral("resume"), QStringLiteral("set resume"), answers[0]); });
    else if (step_ == Step::ReadyToRun)
        runProgram();
    Q_EMIT Changed();
}

void LinuxCncListManager::startSetpoint()
{
    step_ = Step::Setpoint;
    endWanted_ = false;
    setpointIssued_ = false;
    setpointSince_.start();
    Q_EMIT Changed();
    readErrors([this](const QStringList& earlier) {
        for (const QString& text : earlier)
            Log::Warning(QStringLiteral("LinuxCNC reported before the set-point step: %1").arg(text));
        if (endWanted_)
            return setpointEnded(false, QStringLiteral("ended by End"));
        QStringList commands{QStringLiteral("set enable ") + settings_.enablePassword};
        if (setpointHomes()) {
            // Joints are homed one by one, in joint mode.
            commands << QStringLiteral("set mode manual") << QStringLiteral("set teleop_enable off") << QStringLiteral("set home -1");
        } else {
            commands << QStringLiteral("set mode mdi");
            for (const QString& mdi : settings_.setpoint)
                commands << QStringLiteral("set mdi ") + mdi;
        }
        send(commands, [this, commands](const QStringList& answers) {
            const QString refused = refusedSet(commands, answers);
            if (!refused.isEmpty())
                return setpointEnded(false, refused);
            setpointIssued_ = true;
            poll_.start(timing_.setpointPollMs);
        });
    });
}

void LinuxCncListManager::watchSetpoint()
{
    // Homing is over when LinuxCNC enters world mode, which it does once every joint is homed;
    // MDI commands are over when the interpreter is idle again.
    const QStringList commands{setpointHomes() ? QStringLiteral("get teleop_enable") : QStringLiteral("get program_status"),
                               QStringLiteral("get error")};
    pollInFlight_ = true;
    send(commands, [this](const QStringList& answers) {
        pollInFlight_ = false;
        const QString error = errorText(answers[1]);
        if (error.compare(QLatin1String("OK"), Qt::CaseInsensitive) != 0)
            return setpointEnded(false, error);
        const bool over = setpointHomes() ? valueOf(answers[0], QStringLiteral("TELEOP_ENABLE")) == QLatin1String("YES")
                                          : valueOf(answers[0], QStringLiteral("PROGRAM_STATUS")) == QLatin1String("IDLE");
        if (endWanted_)
            return setpointEnded(false, QStringLiteral("ended by End"));
        if (over)
            return setpointEnded(true, QString());
        if (setpointSince_.elapsed() > timing_.setpointLimitMs)
            return setpointEnded(false, QStringLiteral("LinuxCNC did not finish it within %1 minutes").arg(timing_.setpointLimitMs / 60000));
        poll_.start(timing_.setpointPollMs);
    }, true);
}

void LinuxCncListManager::setpointEnded(bool done, const QString& why)
{
    step_ = Step::None;
    endWanted_ = false;
    if (done) {
        countSetpoint();
        tell(QStringLiteral("Set-point step done."));
    } else {
        lastError_ = why;
        tell(QStringLiteral("Set-point step failed: %1").arg(why), Tone::Error);
    }
    schedulePoll();
}

void LinuxCncListManager::send(const QStringList& commands, Answers then, bool quiet)
{
    const quint64 epoch = epoch_;
    const QString unsent = client_.Send(commands, [this, epoch, then = std::move(then)](const QStringList& answers) {
        if (epoch == epoch_)
            then(answers);
    }, quiet);
    // Told on the next turn, as an answer would be: the caller goes on as if it had gone.
    if (!unsent.isEmpty())
        QTimer::singleShot(0, this, [this, epoch, unsent] {
            if (epoch == epoch_)
                notSent(unsent);
        });
}

void LinuxCncListManager::notSent(const QString& why)
{
    pollInFlight_ = false;
    if (step_ == Step::Setpoint)
        return setpointEnded(false, why);
    if (line_ != 0 && (run_ == Run::Running || run_ == Run::Held)) {
        // Once "set run" has gone, the program may run whatever was refused after it.
        const bool mayRun = step_ == Step::Starting || step_ == Step::Watching || step_ == Step::Finishing;
        return lineEnded(mayRun ? WorkList::State::Unknown : WorkList::State::Failed, why);
    }
    tell(why, Tone::Error);
    schedulePoll();
}

void LinuxCncListManager::control(const QStringList& commands, Answers then, bool quiet)
{
    send(QStringList{QStringLiteral("set enable ") + settings_.enablePassword} + commands,
         [then = std::move(then)](const QStringList& answers) { then(answers.mid(1)); }, quiet);
}

void LinuxCncListManager::readErrors(Answers then, QStringList found)
{
    if (found.size() >= maxErrors)
        return then(found);
    send({QStringLiteral("get error")}, [this, then, found](const QStringList& answers) mutable {
        const QString text = errorText(answers[0]);
        // "ERROR OK": none left. Anything that is no error answer ends the reading too.
        if (!answers[0].startsWith(QLatin1String("ERROR "), Qt::CaseInsensitive) || text.compare(QLatin1String("OK"), Qt::CaseInsensitive) == 0)
            return then(found);
        if (!found.contains(text)) // a bad line is often reported twice
            found << text;
        readErrors(then, found);
    });
}

void LinuxCncListManager::schedulePoll()
{
    if (!client_.IsConnected())
        return;
    switch (step_) {
    case Step::Watching:
        poll_.start(timing_.watchPollMs);
        break;
    case Step::Setpoint:
        poll_.start(timing_.setpointPollMs);
        break;
    case Step::None:
    case Step::ReadyToRun:
        poll_.start(timing_.idlePollMs);
        break;
    default:
        break;
    }
}

void LinuxCncListManager::pollIdle()
{
    pollInFlight_ = true;
    send(machineQueries, [this](const QStringList& answers) {
        pollInFlight_ = false;
        const Machine now = machineFrom(answers);
        if (!machine_.known || now.estop != machine_.estop || now.power != machine_.power || now.status != machine_.status) {
            machine_ = now;
            Q_EMIT Changed();
        }
        schedulePoll();
    }, true);
}

void LinuxCncListManager::refuseUnlessReady() const
{
    if (!machine_.known)
        return; // the run's first step looks
    const QString why = notReady(machine_, QStringLiteral("nothing runs meanwhile."));
    if (!why.isEmpty())
        throw RuntimeError(RuntimeError::DeviceUnavailable, why);
}

LinuxCncListManager::Machine LinuxCncListManager::machineFrom(const QStringList& answers)
{
    return Machine{true, valueOf(answers[0], QStringLiteral("ESTOP")), valueOf(answers[1], QStringLiteral("MACHINE")),
                   valueOf(answers[2], QStringLiteral("PROGRAM_STATUS"))};
}

QString LinuxCncListManager::notReady(const Machine& machine, const QString& busyTail)
{
    if (machine.estop != QLatin1String("OFF"))
        return QStringLiteral("LinuxCNC is in E-stop: nothing runs until the operator releases it at the machine.");
    if (machine.power != QLatin1String("ON"))
        return QStringLiteral("LinuxCNC's machine is off: nothing runs until the operator switches it on at the machine.");
    if (machine.status != QLatin1String("IDLE"))
        return QStringLiteral("LinuxCNC is busy (its program is %1): %2").arg(machine.status.toLower(), busyTail);
    return QString();
}

QString LinuxCncListManager::programPath(const QString& name, QString& why) const
{
    if (Spaces::Trim(name).isEmpty()) {
        why = QStringLiteral("the line names no program (#161)");
        return QString();
    }
    const QString path = settings_.programFolder + QLatin1Char('/') + Paths::ToNative(name);
    return settings_.programFolderIsOwn ? FileSearch::ResolveCase(path) : path;
}

QString LinuxCncListManager::current() const
{
    const int position = List().Position(line_);
    const QString name = program_.isEmpty() ? QStringLiteral("the line") : Log::Printable(program_);
    return position > 0 ? QStringLiteral("%1 (line %2)").arg(name).arg(position) : name;
}

QString LinuxCncListManager::notConnected() const
{
    QString text = QStringLiteral("LinuxCNC is not connected (%1)").arg(settings_.Endpoint());
    if (!client_.Trouble().isEmpty())
        text += QStringLiteral(": ") + client_.Trouble();
    return text + QStringLiteral("; the lines are kept, Tarvex connects by itself.");
}

void LinuxCncListManager::noteTiming()
{
    const qint64 answering = client_.AnsweringNs() - answeringSince_;
    const qint64 total = since_.nsecsElapsed();
    // A hold in between is the operator's time, not the link's.
    if (std::exchange(heldMeanwhile_, false)) {
        firstOfRun_ = false;
        return Log::Info(QStringLiteral("%1 runs after a hold").arg(current()));
    }
    Log::Info(QStringLiteral("%1 runs: %2 ms after %3, LinuxCNC answering %4 ms of it, Tarvex %5 ms")
                  .arg(current())
                  .arg(ms(total), 0, 'f', 1)
                  .arg(firstOfRun_ ? QStringLiteral("Start") : QStringLiteral("the previous program ended"))
                  .arg(ms(answering), 0, 'f', 1)
                  .arg(ms(total - answering), 0, 'f', 1));
    firstOfRun_ = false;
}
