#include "support/ScriptedMachineControl.h"

#include "listmgr/LinuxCncLine.h"

#include <QTimer>

#include <utility>

ScriptedMachineControl::ScriptedMachineControl()
{
    QTimer::singleShot(0, this, &ScriptedMachineControl::Connect);
}

MachineControl::Line ScriptedMachineControl::Read(const ListFields& listLine, const QSet<int>& alsoZero) const
{
    const LinuxCncLine line(listLine);
    return Line{line.ProgramName(), line.Numbers(), line.Assignments(alsoZero), line.Refusal()};
}

void ScriptedMachineControl::Look(Then then, bool quiet)
{
    request(QStringLiteral("Look"), quiet ? QStringLiteral("quiet") : QString(), std::move(then));
}

void ScriptedMachineControl::ReadMessages(Then then)
{
    request(QStringLiteral("ReadMessages"), QString(), std::move(then));
}

void ScriptedMachineControl::TakeParameters(const QList<std::pair<int, QString>>& values, Then then)
{
    QStringList assignments;
    for (const auto& [number, value] : values)
        assignments << QStringLiteral("#%1=%2").arg(number).arg(value);
    request(QStringLiteral("TakeParameters"), assignments.join(QLatin1Char(' ')), std::move(then));
}

void ScriptedMachineControl::Open(const QString& programName, Then then)
{
    request(QStringLiteral("Open"), programName, std::move(then));
}

void ScriptedMachineControl::Run(Then then)
{
    request(QStringLiteral("Run"), QString(), std::move(then));
}

void ScriptedMachineControl::Watch(Then then)
{
    request(QStringLiteral("Watch"), QString(), std::move(then));
}

void ScriptedMachineControl::Finish(Then then)
{
    request(QStringLiteral("Finish"), QString(), std::move(then));
}

void ScriptedMachineControl::Pause(Then then)
{
    request(QStringLiteral("Pause"), QString(), std::move(then));
}

void ScriptedMachineControl::Resume(Then then)
{
    request(QStringLiteral("Resume"), QString(), std::move(then));
}

void ScriptedMachineControl::Abort(Then then)
{
    request(QStringLiteral("Abort"), QString(), std::move(then));
}

void ScriptedMachineControl::StartSetpoint(Then then)
{
    request(QStringLiteral("StartSetpoint"), QString(), std::move(then));
}

void ScriptedMachineControl::WatchSetpoint(Then then)
{
    request(QStringLiteral("WatchSetpoint"), QString(), std::move(then));
}

void ScriptedMachineControl::Connect()
{
    if (connected_)
        return;
    connected_ = true;
    ++connection_;
    Q_EMIT Connected();
}

void ScriptedMachineControl::Lose(const QString& reason)
{
    connected_ = false;
    ++connection_;
    held_.clear();
    running_ = false;
    Q_EMIT Lost(reason);
}

void ScriptedMachineControl::Release()
{
    std::deque<Request> now;
    now.swap(held_);
    for (const Request& r : now)
        answer(r);
}

QStringList ScriptedMachineControl::Sent(const QString& start) const
{
    QStringList found;
    for (const QString& line : journal) {
        if (line.startsWith(start))
            found << line;
    }
    return found;
}

void ScriptedMachineControl::request(const QString& kind, const QString& detail, Then then)
{
    journal << (detail.isEmpty() ? kind : kind + QLatin1Char(' ') + detail);
    if (!connected_)
        return; // as a connection that went: no reply ever comes
    if (hold.contains(kind)) {
        held_.push_back({kind, std::move(then)});
        return;
    }
    // The machine as it is when asked; the reply comes on a later turn, unless the connection went.
    QTimer::singleShot(0, this, [this, reply = replyTo(kind), then = std::move(then), connection = connection_] {
        if (connection == connection_)
            then(reply);
    });
}

void ScriptedMachineControl::answer(const Request& request)
{
    request.then(replyTo(request.kind));
}

MachineControl::Reply ScriptedMachineControl::replyTo(const QString& kind)
{
    const Reply modelled = model(kind);
    auto& queue = scripted[kind];
    if (queue.empty())
        return modelled;
    const Reply given = queue.front();
    queue.pop_front();
    return given;
}

MachineControl::Reply ScriptedMachineControl::model(const QString& kind)
{
    Reply r;
    if (kind == QLatin1String("Look")) {
        r.status.state = running_ && (machine == State::Idle) ? State::Running : machine;
    } else if (kind == QLatin1String("ReadMessages")) {
        r.messages = std::exchange(messages, {});
    } else if (kind == QLatin1String("Run")) {
        running_ = true;
        watchesLeft_ = runWatches;
    } else if (kind == QLatin1String("Watch")) {
        r.moved = true;
        if (running_ && paused) {
            r.status.state = State::Paused;
        } else if (running_ && watchesLeft_-- > 0 && machine != State::EStop && machine != State::Off) {
            r.status.state = State::Running;
        } else {
            running_ = false;
            r.status.state = State::Idle;
        }
    } else if (kind == QLatin1String("Finish")) {
        r.messages = std::exchange(messages, {});
        r.status.state = machine == State::EStop || machine == State::Off ? machine : State::Idle;
    } else if (kind == QLatin1String("Abort")) {
        watchesLeft_ = 0;
        paused = false;
    } else if (kind == QLatin1String("Pause")) {
        paused = true;
    } else if (kind == QLatin1String("Resume")) {
        paused = false;
    } else if (kind == QLatin1String("WatchSetpoint")) {
        r.over = setpointEnds;
    }
    return r;
}
