#include "listmgr/LinuxCncControl.h"

#include "config/Spaces.h"
#include "listmgr/LinuxCncLine.h"
#include "platform/FileSearch.h"
#include "platform/Paths.h"

#include <QTimer>

#include <utility>

namespace {
// Errors read in one go at most: LinuxCNC's queue is small, and a reader must end.
constexpr int maxErrors = 20;

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

MachineControl::State programState(const QString& status)
{
    if (status == QLatin1String("IDLE"))
        return MachineControl::State::Idle;
    if (status == QLatin1String("RUNNING"))
        return MachineControl::State::Running;
    if (status == QLatin1String("PAUSED"))
        return MachineControl::State::Paused;
    return MachineControl::State::Error;
}

// E-stop and power first: a machine in either runs nothing, whatever its program does.
MachineControl::Status statusOf(const QString& estop, const QString& power, const QString& program)
{
    if (estop != QLatin1String("OFF"))
        return {MachineControl::State::EStop, QString()};
    if (power != QLatin1String("ON"))
        return {MachineControl::State::Off, QString()};
    const MachineControl::State state = programState(program);
    return {state, state == MachineControl::State::Error ? program : QString()};
}

MachineControl::Reply reply(MachineControl::Reply::Kind kind, const QString& text)
{
    MachineControl::Reply r;
    r.kind = kind;
    r.text = text;
    return r;
}
} // namespace

LinuxCncControl::LinuxCncControl(std::unique_ptr<LineChannel> channel, LinuxCncSettings settings, ListManagerJournal& journal,
                                 Timing timing, QObject* parent)
    : MachineControl(parent), channel_(std::move(channel)), settings_(std::move(settings)),
      client_(*channel_, settings_, journal, timing.client), timing_(timing)
{
    connect(&client_, &LinuxCncClient::Connected, this, &LinuxCncControl::client_Connected);
    connect(&client_, &LinuxCncClient::Lost, this, &LinuxCncControl::client_Lost);
    client_.Open();
}

MachineControl::Line LinuxCncControl::Read(const ListFields& listLine, const QSet<int>& alsoZero) const
{
    const LinuxCncLine line(listLine);
    return Line{line.ProgramName(), line.Numbers(), line.Assignments(alsoZero), line.Refusal()};
}

// Whatever was seen before a connection went says nothing of the machine after it.
void LinuxCncControl::client_Connected()
{
    knownIdle_ = false;
    Q_EMIT Connected();
}

void LinuxCncControl::client_Lost(const QString& reason)
{
    knownIdle_ = false;
    Q_EMIT Lost(reason);
}

void LinuxCncControl::Look(Then then, bool quiet)
{
    send(machineQueries, then, [this, then](const QStringList& answers) {
        Reply r;
        const QString program = valueOf(answers[2], QStringLiteral("PROGRAM_STATUS"));
        r.status = statusOf(valueOf(answers[0], QStringLiteral("ESTOP")), valueOf(answers[1], QStringLiteral("MACHINE")), program);
        knownIdle_ = program == QLatin1String("IDLE");
        then(r);
    }, quiet);
}

void LinuxCncControl::ReadMessages(Then then)
{
    readErrors(then, [then](const QStringList& found) {
        Reply r;
        r.messages = found;
        then(r);
    });
}

void LinuxCncControl::TakeParameters(const QList<std::pair<int, QString>>& values, Then then)
{
    // The abort ends whatever LinuxCNC still had under way: not needed when it was just seen idle
    // with nothing asked of it since, and each set LinuxCNC's task takes costs about 100 ms. The
    // MDI waits for the last value to be set.
    QStringList commands{QStringLiteral("set enable ") + settings_.enablePassword};
    if (!std::exchange(knownIdle_, false))
        commands << QStringLiteral("set abort");
    commands << QStringLiteral("set mode mdi");
    for (const QString& mdi : LinuxCncLine::MdiCommands(values))
        commands << QStringLiteral("set mdi ") + mdi;
    commands << QStringLiteral("set wait done");
    send(commands, then, [this, commands, then](const QStringList& answers) {
        // A refused set and its reason come apart: the reason, if any, is in the error queue.
        const QString refused = refusedSet(commands, answers);
        readErrors(then, [then, refused](const QStringList& errors) {
            const QString text = errors.join(QStringLiteral("; "));
            // LinuxCNC takes no MDI before homing unless its configuration allows it.
            if (text.contains(QLatin1String("not homed"), Qt::CaseInsensitive))
                return then(reply(Reply::Kind::NotHomed, text));
            if (!errors.isEmpty())
                return then(reply(Reply::Kind::Failed, text));
            if (!refused.isEmpty())
                return then(reply(Reply::Kind::Refused, refused));
            then(Reply());
        });
    });
}

void LinuxCncControl::Open(const QString& programName, Then then)
{
    knownIdle_ = false;
    QString why;
    const QString path = programPath(programName, why);
    if (path.isEmpty()) {
        QTimer::singleShot(0, this, [then, why] { then(reply(Reply::Kind::Failed, why)); });
        return;
    }
    const QStringList commands{QStringLiteral("set mode auto"), QStringLiteral("set open ") + path, QStringLiteral("get program"),
                               QStringLiteral("get program_line")};
    send(commands, then, [this, commands, path, then](const QStringList& answers) {
        const QString refused = refusedSet(commands, answers);
        const QString opened = answers[2];
        lineBefore_ = valueOf(answers[3], QStringLiteral("PROGRAM_LINE"));
        watches_ = 0;
        moved_ = false;
        readErrors(then, [then, path, refused, opened](const QStringList& errors) {
            if (!errors.isEmpty())
                return then(reply(Reply::Kind::Failed, errors.join(QStringLiteral("; "))));
            if (!refused.isEmpty())
                return then(reply(Reply::Kind::Refused, refused));
            // A program still open from before would run in its place.
            if (opened != QStringLiteral("PROGRAM ") + path)
                return then(reply(Reply::Kind::Failed, QStringLiteral("LinuxCNC did not open %1 (%2)").arg(path, opened)));
            then(Reply());
        });
    });
}

void LinuxCncControl::Run(Then then)
{
    act(QStringLiteral("set run"), std::move(then));
}

void LinuxCncControl::Watch(Then then)
{
    QStringList commands{QStringLiteral("get program_status"), QStringLiteral("get error")};
    // Until the program is seen at work, its line number tells whether LinuxCNC has read it.
    const qsizetype lineAt = moved_ ? -1 : commands.size();
    if (!moved_)
        commands << QStringLiteral("get program_line");
    const bool heartbeat = ++watches_ % timing_.heartbeatPolls == 0;
    const qsizetype heartbeatAt = commands.size();
    if (heartbeat)
        commands << QStringLiteral("get optional_stop");
    send(commands, then, [this, heartbeat, lineAt, heartbeatAt, then](const QStringList& answers) {
        // A set goes to LinuxCNC's task, which answers it only while it lives: setting the
        // optional stop to what it is changes nothing, yet shows a LinuxCNC that died.
        if (heartbeat) {
            const bool optionalStop = valueOf(answers[heartbeatAt], QStringLiteral("OPTIONAL_STOP")) != QLatin1String("0");
            control({QStringLiteral("set optional_stop ") + (optionalStop ? QStringLiteral("1") : QStringLiteral("0"))}, then,
                    [](const QStringList&) {}, true);
        }
        Reply r;
        const QString status = valueOf(answers[0], QStringLiteral("PROGRAM_STATUS"));
        r.status = {programState(status), programState(status) == State::Error ? status : QString()};
        knownIdle_ = status == QLatin1String("IDLE");
        const QString error = errorText(answers[1]);
        if (error.compare(QLatin1String("OK"), Qt::CaseInsensitive) != 0)
            r.messages << error;
        if (r.status.state == State::Running || r.status.state == State::Paused ||
            (lineAt >= 0 && valueOf(answers[lineAt], QStringLiteral("PROGRAM_LINE")) != lineBefore_))
            moved_ = true;
        r.moved = moved_;
        if (r.status.state == State::Idle && !moved_)
            r.text = QStringLiteral("LinuxCNC acknowledged \"set run\" but then stayed idle, its line number still %1 and no error reported")
                         .arg(lineBefore_);
        then(r);
    }, true);
}

void LinuxCncControl::Finish(Then then)
{
    readErrors(then, [this, then](const QStringList& errors) {
        send({QStringLiteral("get estop"), QStringLiteral("get machine")}, then, [then, errors](const QStringList& answers) {
            Reply r;
            r.messages = errors;
            r.status = statusOf(valueOf(answers[0], QStringLiteral("ESTOP")), valueOf(answers[1], QStringLiteral("MACHINE")),
                                QStringLiteral("IDLE"));
            then(r);
        });
    });
}

void LinuxCncControl::Pause(Then then)
{
    act(QStringLiteral("set pause"), std::move(then));
}

void LinuxCncControl::Resume(Then then)
{
    act(QStringLiteral("set resume"), std::move(then));
}

void LinuxCncControl::Abort(Then then)
{
    act(QStringLiteral("set abort"), std::move(then));
}

void LinuxCncControl::StartSetpoint(Then then)
{
    knownIdle_ = false;
    QStringList commands{QStringLiteral("set enable ") + settings_.enablePassword};
    if (setpointHomes()) {
        // Joints are homed one by one, in joint mode.
        commands << QStringLiteral("set mode manual") << QStringLiteral("set teleop_enable off") << QStringLiteral("set home -1");
    } else {
        commands << QStringLiteral("set mode mdi");
        for (const QString& mdi : settings_.setpoint)
            commands << QStringLiteral("set mdi ") + mdi;
    }
    send(commands, then, [commands, then](const QStringList& answers) {
        const QString refused = refusedSet(commands, answers);
        then(refused.isEmpty() ? Reply() : reply(Reply::Kind::Refused, refused));
    });
}

void LinuxCncControl::WatchSetpoint(Then then)
{
    // Homing is over when LinuxCNC enters world mode, which it does once every joint is homed;
    // MDI commands are over when the interpreter is idle again.
    const QStringList commands{setpointHomes() ? QStringLiteral("get teleop_enable") : QStringLiteral("get program_status"),
                               QStringLiteral("get error")};
    send(commands, then, [this, then](const QStringList& answers) {
        const QString error = errorText(answers[1]);
        if (error.compare(QLatin1String("OK"), Qt::CaseInsensitive) != 0)
            return then(reply(Reply::Kind::Failed, error));
        Reply r;
        r.over = setpointHomes() ? valueOf(answers[0], QStringLiteral("TELEOP_ENABLE")) == QLatin1String("YES")
                                 : valueOf(answers[0], QStringLiteral("PROGRAM_STATUS")) == QLatin1String("IDLE");
        then(r);
    }, true);
}

void LinuxCncControl::send(const QStringList& commands, const Then& then, Answers answers, bool quiet)
{
    const QString unsent = client_.Send(commands, std::move(answers), quiet);
    // Told on the next turn, as an answer would be: the caller goes on as if it had gone.
    if (!unsent.isEmpty())
        QTimer::singleShot(0, this, [then, unsent] { then(reply(Reply::Kind::NotSent, unsent)); });
}

void LinuxCncControl::control(const QStringList& commands, const Then& then, Answers answers, bool quiet)
{
    send(QStringList{QStringLiteral("set enable ") + settings_.enablePassword} + commands, then,
         [answers = std::move(answers)](const QStringList& all) { answers(all.mid(1)); }, quiet);
}

void LinuxCncControl::act(const QString& command, Then then)
{
    knownIdle_ = false;
    control({command}, then, [command, then](const QStringList& answers) {
        then(LinuxCncClient::Acknowledged(command, answers[0]) ? Reply() : reply(Reply::Kind::Refused, answers[0]));
    });
}

void LinuxCncControl::readErrors(const Then& then, const std::function<void(const QStringList&)>& found, QStringList sofar)
{
    if (sofar.size() >= maxErrors)
        return found(sofar);
    send({QStringLiteral("get error")}, then, [this, then, found, sofar](const QStringList& answers) mutable {
        const QString text = errorText(answers[0]);
        // "ERROR OK": none left. Anything that is no error answer ends the reading too.
        if (!answers[0].startsWith(QLatin1String("ERROR "), Qt::CaseInsensitive) || text.compare(QLatin1String("OK"), Qt::CaseInsensitive) == 0)
            return found(sofar);
        if (!sofar.contains(text)) // a bad line is often reported twice
            sofar << text;
        readErrors(then, found, sofar);
    });
}

QString LinuxCncControl::programPath(const QString& name, QString& why) const
{
    if (Spaces::Trim(name).isEmpty()) {
        why = QStringLiteral("the line names no program (#161)");
        return QString();
    }
    const QString path = settings_.programFolder + QLatin1Char('/') + Paths::ToNative(name);
    return settings_.programFolderIsOwn ? FileSearch::ResolveCase(path) : path;
}
