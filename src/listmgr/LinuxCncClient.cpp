#include "listmgr/LinuxCncClient.h"

#include "listmgr/ListManagerJournal.h"
#include "platform/LineChannel.h"
#include "platform/Log.h"

#include <QFile>
#include <QRegularExpression>

namespace {
const QString member = QStringLiteral("LinuxCNC");
const QString echoOff = QStringLiteral("set echo off");
// Of a line from the other end, at most this much goes to the log and the status line.
constexpr qsizetype MaxShownAnswer = 200;

// "set open /cnc/P1.CNC" → "SET", "OPEN".
std::pair<QString, QString> verbAndWhat(const QString& command)
{
    const QStringList words = command.simplified().split(QLatin1Char(' '));
    return {words.value(0).toUpper(), words.value(1).toUpper()};
}

bool is(const QString& text, const QString& expected)
{
    return text.compare(expected, Qt::CaseInsensitive) == 0;
}

// The text itself or the text followed by a space and more.
bool headedBy(const QString& text, const QString& head)
{
    return is(text, head) || text.startsWith(head + QLatin1Char(' '), Qt::CaseInsensitive);
}
} // namespace

LinuxCncClient::LinuxCncClient(LineChannel& channel, LinuxCncSettings settings, ListManagerJournal& journal, Timing timing,
                               QObject* parent)
    : QObject(parent), channel_(channel), settings_(std::move(settings)), journal_(journal), timing_(timing)
{
    replyTimer_.setSingleShot(true);
    reconnectTimer_.setSingleShot(true);
    connect(&replyTimer_, &QTimer::timeout, this, &LinuxCncClient::replyTimer_timeout);
    connect(&reconnectTimer_, &QTimer::timeout, this, &LinuxCncClient::Open);
    connect(&channel_, &LineChannel::Opened, this, &LinuxCncClient::channel_Opened);
    connect(&channel_, &LineChannel::LineReceived, this, &LinuxCncClient::channel_LineReceived);
    connect(&channel_, &LineChannel::Closed, this, &LinuxCncClient::channel_Closed);
}

void LinuxCncClient::Open()
{
    reconnectTimer_.stop();
    if (phase_ != Phase::Closed)
        return;
    phase_ = Phase::Opening;
    channel_.Open(settings_.host, settings_.port);
}

QString LinuxCncClient::Send(const QStringList& commands, Done done, bool quiet)
{
    if (phase_ != Phase::Ready)
        return QString();
    return sendNow(commands, std::move(done), quiet);
}

QString LinuxCncClient::Shown(const QString& command)
{
    static const QRegularExpression hello(QStringLiteral("^(\\s*hello\\s+)\\S+"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression enable(QStringLiteral("^(\\s*set\\s+enable\\s+)(?!off\\s*$)\\S.*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString shown = command;
    shown.replace(hello, QStringLiteral("\\1***"));
    shown.replace(enable, QStringLiteral("\\1***"));
    return shown;
}

bool LinuxCncClient::Acknowledged(const QString& command, const QString& answer)
{
    const auto [verb, what] = verbAndWhat(command);
    return verb == QLatin1String("SET") && is(answer, QStringLiteral("SET %1 ACK").arg(what));
}

bool LinuxCncClient::IsAnswerTo(const QString& command, const QString& answer)
{
    const auto [verb, what] = verbAndWhat(command);
    if (verb == QLatin1String("HELLO"))
        return headedBy(answer, QStringLiteral("HELLO"));
    if (verb == QLatin1String("SET")) {
        // While the echo is on, the echo of "set echo off" is its only answer.
        return headedBy(answer, QStringLiteral("SET ") + what) || is(answer, QStringLiteral("SET NAK")) ||
               (what == QLatin1String("ECHO") && is(answer, command));
    }
    if (verb == QLatin1String("GET"))
        return headedBy(answer, what) || headedBy(answer, QStringLiteral("GET ") + what) || is(answer, QStringLiteral("GET NAK"));
    return true;
}

void LinuxCncClient::channel_Opened()
{
    phase_ = Phase::Handshake;
    handshake();
}

void LinuxCncClient::handshake()
{
    // Before a hello nothing is echoed; after it everything is, until "set echo off", whose own
    // echo is its only answer. So the first two go one at a time.
    const QString hello = QStringLiteral("hello %1 tarvex 1.0").arg(settings_.connectPassword);
    const QString refused = sendNow({hello}, [this, hello](const QStringList& answer) {
        if (is(answer[0], QStringLiteral("HELLO NAK")))
            return fail(QStringLiteral("LinuxCNC refused the connect password (ConnectPassword in [LinuxCNC])"), true);
        if (!headedBy(answer[0], QStringLiteral("HELLO ACK")))
            return fail(QStringLiteral("LinuxCNC answered \"%1\" to \"%2\"").arg(Log::Printable(answer[0]), Shown(hello)));
        sendNow({echoOff}, [this](const QStringList& echo) {
            if (echo[0].compare(echoOff, Qt::CaseInsensitive) != 0)
                return fail(QStringLiteral("LinuxCNC answered \"%1\" to \"%2\"").arg(Log::Printable(echo[0]), echoOff));
            // The wait and the timeout are shared by every client of linuxcncrsh: set them anew.
            const QStringList setup{QStringLiteral("set verbose on"), QStringLiteral("set enable ") + settings_.enablePassword,
                                    QStringLiteral("set set_wait received"), QStringLiteral("set timeout 0")};
            const QString unsent = sendNow(setup, [this, setup](const QStringList& answers) {
                for (qsizetype i = 0; i < answers.size(); ++i) {
                    if (Acknowledged(setup[i], answers[i]))
                        continue;
                    if (i == 1 && answers[i].endsWith(QLatin1String(" NAK"), Qt::CaseInsensitive))
                        return fail(QStringLiteral("LinuxCNC refused the enable password (EnablePassword in [LinuxCNC])"), true);
                    return fail(QStringLiteral("LinuxCNC answered \"%1\" to \"%2\"").arg(Log::Printable(answers[i]), Shown(setup[i])));
                }
                phase_ = Phase::Ready;
                trouble_.clear();
                refusals_ = 0;
                Log::Info(QStringLiteral("LinuxCNC connected at %1").arg(settings_.Endpoint()));
                Q_EMIT Connected();
            }, false);
            if (!unsent.isEmpty())
                fail(unsent, true);
        }, false);
    }, false);
    // A password that cannot be sent is the settings' fault: nobody fixes that in 2 s.
    if (!refused.isEmpty())
        fail(refused, true);
}

QString LinuxCncClient::sendNow(const QStringList& commands, Done done, bool quiet)
{
    if (commands.isEmpty())
        return QString();
    QList<QByteArray> lines;
    for (const QString& command : commands)
        lines << QFile::encodeName(command);
    const qsizetype refused = channel_.Send(lines);
    if (refused >= 0) {
        const QString why = QStringLiteral("the command \"%1\" holds the control character %2, which could make it more than one "
                                           "command: it was not sent to LinuxCNC")
                                .arg(Log::Printable(Shown(commands[refused])), LineChannel::ControlCharacter(lines[refused]));
        for (const QString& command : commands)
            journal_.RecordAnswer(member, Log::Printable(Shown(command)), QStringLiteral("not sent: ") + why);
        Log::Error(why);
        return why;
    }
    auto batch = std::make_shared<Batch>();
    batch->expected = commands.size();
    batch->done = std::move(done);
    const bool wasIdle = pending_.empty();
    for (const QString& command : commands)
        pending_.push_back(Pending{command, quiet, batch});
    if (wasIdle) {
        headSince_.start();
        armReplyTimer();
    }
    return QString();
}

void LinuxCncClient::channel_LineReceived(const QByteArray& line)
{
    const QString answer = QFile::decodeName(line);
    if (pending_.empty())
        return unasked(answer);
    // Taken for another command's answer, it would shift every answer after it.
    if (!IsAnswerTo(pending_.front().command, answer))
        return fail(QStringLiteral("LinuxCNC answered \"%1\" to \"%2\"")
                        .arg(Log::Printable(answer.left(MaxShownAnswer)), Log::Printable(Shown(pending_.front().command))));
    reportUnasked();
    const Pending head = pending_.front();
    pending_.pop_front();
    answeringNs_ += headSince_.nsecsElapsed();
    headSince_.start();
    armReplyTimer();
    record(head, answer);
    head.batch->answers << answer;
    if (head.batch->answers.size() == head.batch->expected && head.batch->done)
        head.batch->done(head.batch->answers);
}

void LinuxCncClient::unasked(const QString& line)
{
    if (unaskedLogged_ < MaxUnaskedLogged) {
        ++unaskedLogged_;
        Log::Warning(QStringLiteral("LinuxCNC sent \"%1\" unasked").arg(Log::Printable(line.left(MaxShownAnswer))));
        return;
    }
    ++unaskedDropped_;
}

void LinuxCncClient::reportUnasked()
{
    if (unaskedDropped_ > 0)
        Log::Warning(QStringLiteral("LinuxCNC sent %1 more lines unasked; they were dropped").arg(unaskedDropped_));
    unaskedLogged_ = 0;
    unaskedDropped_ = 0;
}

void LinuxCncClient::channel_Closed(const QString& reason)
{
    if (phase_ != Phase::Opening)
        return fail(QStringLiteral("the connection to LinuxCNC at %1 was lost: %2").arg(settings_.Endpoint(), reason));
    // The socket's words say what happened; what a refusal means is said here, once.
    const QString hint = reason.compare(QLatin1String("Connection refused"), Qt::CaseInsensitive) == 0
                             ? QStringLiteral(" (nothing listens there: is LinuxCNC running, with linuxcncrsh on that port?)")
                             : QString();
    fail(QStringLiteral("LinuxCNC cannot be reached at %1: %2%3").arg(settings_.Endpoint(), reason, hint));
}

void LinuxCncClient::replyTimer_timeout()
{
    if (pending_.empty())
        return;
    fail(QStringLiteral("LinuxCNC did not answer \"%1\" within %2 s")
             .arg(Shown(pending_.front().command))
             .arg(timing_.replyTimeoutMs / 1000.0));
}

void LinuxCncClient::fail(const QString& reason, bool refused)
{
    const bool wasReady = phase_ == Phase::Ready;
    channel_.Close();
    reportUnasked();
    replyTimer_.stop();
    for (const Pending& pending : pending_)
        record(Pending{pending.command, false, nullptr}, QStringLiteral("no answer: ") + reason);
    pending_.clear();
    // The first answers after a new connection are journalled whatever they are.
    lastQuiet_.clear();
    phase_ = Phase::Closed;
    // A hello can be refused by chance when another client of linuxcncrsh speaks at the same
    // moment (seen with the tests' own client): only a refusal that repeats waits the long time.
    refusals_ = refused ? refusals_ + 1 : 0;
    const int retryMs = refusals_ >= 2 ? timing_.refusedReconnectMs : timing_.reconnectMs;
    // Each new trouble once: an unreachable LinuxCNC is tried every few seconds.
    if (reason != trouble_ || wasReady)
        Log::Warning(QStringLiteral("%1; trying again every %2 s").arg(reason).arg(retryMs / 1000.0));
    trouble_ = reason;
    reconnectTimer_.start(retryMs);
    Q_EMIT Lost(reason);
}

void LinuxCncClient::record(const Pending& pending, const QString& answer)
{
    const QString shown = Shown(pending.command);
    if (pending.quiet) {
        auto last = lastQuiet_.find(shown);
        if (last != lastQuiet_.end() && *last == answer)
            return;
        lastQuiet_.insert(shown, answer);
    }
    journal_.RecordAnswer(member, shown, answer);
    Log::Info(QStringLiteral("LinuxCNC: %1 -> %2").arg(Log::Printable(shown), Log::Printable(answer)));
}

void LinuxCncClient::armReplyTimer()
{
    if (pending_.empty())
        replyTimer_.stop();
    else
        replyTimer_.start(timing_.replyTimeoutMs);
}
