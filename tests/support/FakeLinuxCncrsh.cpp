#include "support/FakeLinuxCncrsh.h"

#include "listmgr/LinuxCncListManager.h"

#include <QTimer>

std::shared_ptr<LinuxCncListManager> FakeLinuxCncrsh::MakeListManager(FakeLinuxCncrsh*& rsh)
{
    auto channel = std::make_unique<FakeLinuxCncrsh>();
    rsh = channel.get();
    LinuxCncSettings settings;
    settings.programFolder = QStringLiteral("/cnc");
    LinuxCncListManager::Timing timing;
    timing.client.replyTimeoutMs = 300;
    timing.client.reconnectMs = 50;
    timing.watchPollMs = timing.idlePollMs = timing.setpointPollMs = 5;
    timing.heartbeatPolls = 3;
    return std::make_shared<LinuxCncListManager>(settings, std::move(channel), timing);
}

void FakeLinuxCncrsh::Open(const QString&, quint16)
{
    ++opens;
    const int connection = ++connection_;
    QTimer::singleShot(0, this, [this, connection] {
        if (connection != connection_)
            return;
        if (!reachable)
            return Q_EMIT Closed(QStringLiteral("Connection refused"));
        open = true;
        hung_ = false;
        Q_EMIT Opened();
    });
}

void FakeLinuxCncrsh::Close()
{
    open = false;
    ++connection_;
}

void FakeLinuxCncrsh::SendUnasked(const QString& text, int count)
{
    for (int i = 0; i < count && open; ++i)
        Q_EMIT LineReceived(text.toLatin1());
}

void FakeLinuxCncrsh::write(const QByteArray& line)
{
    const QString command = QString::fromLatin1(line);
    received << command;
    if (hung_)
        return;
    for (const auto& [start, text] : scripted) {
        if (command == start || command.startsWith(start + QLatin1Char(' ')))
            return answer(text);
    }
    const QString text = reply(command);
    if (text.isNull())
        hung_ = true;
    else
        answer(text);
}

void FakeLinuxCncrsh::answer(const QString& text)
{
    QTimer::singleShot(0, this, [this, text, connection = connection_] {
        if (open && connection == connection_)
            Q_EMIT LineReceived(text.toLatin1());
    });
}

QString FakeLinuxCncrsh::reply(const QString& command)
{
    const QStringList words = command.split(QLatin1Char(' '));
    const QString verb = words.value(0).toLower();
    const QString what = words.value(1).toLower();
    if (verb == QLatin1String("hello"))
        return words.value(1) == QLatin1String("EMC") ? QStringLiteral("HELLO ACK EMCNETSVR 1.1") : QStringLiteral("HELLO NAK");
    if (command == QLatin1String("set echo off"))
        return command;
    if (verb == QLatin1String("set")) {
        const QString ack = QStringLiteral("SET %1 ACK").arg(what.toUpper());
        if (what == QLatin1String("enable"))
            return words.value(2) == QLatin1String("EMCTOO") ? ack : QStringLiteral("SET ENABLE NAK");
        if (what == QLatin1String("verbose") || what == QLatin1String("set_wait") || what == QLatin1String("timeout"))
            return ack;
        if (frozen)
            return QString();
        if (estop != QLatin1String("OFF") || machine != QLatin1String("ON"))
            return QStringLiteral("SET %1 NAK").arg(what.toUpper());
        if (what == QLatin1String("open")) {
            program = command.section(QLatin1Char(' '), 2);
            line_ = 0;
        } else if (what == QLatin1String("run") && !runsNothing) {
            running_ = runPolls;
            line_ = 1;
            errors += runErrors;
        } else if (what == QLatin1String("pause"))
            paused_ = true;
        else if (what == QLatin1String("resume"))
            paused_ = false;
        else if (what == QLatin1String("abort"))
            running_ = 0;
        return ack;
    }
    if (what == QLatin1String("estop"))
        return QStringLiteral("ESTOP ") + estop;
    if (what == QLatin1String("machine"))
        return QStringLiteral("MACHINE ") + machine;
    if (what == QLatin1String("program"))
        return QStringLiteral("PROGRAM ") + program;
    if (what == QLatin1String("program_line"))
        return QStringLiteral("PROGRAM_LINE %1").arg(line_);
    if (what == QLatin1String("error"))
        return QStringLiteral("ERROR ") + (errors.isEmpty() ? QStringLiteral("OK") : errors.takeFirst());
    if (what == QLatin1String("optional_stop"))
        return QStringLiteral("OPTIONAL_STOP 1");
    if (what == QLatin1String("teleop_enable"))
        return QStringLiteral("TELEOP_ENABLE YES");
    if (what == QLatin1String("program_status")) {
        if (running_ == 0)
            return QStringLiteral("PROGRAM_STATUS IDLE");
        if (paused_)
            return QStringLiteral("PROGRAM_STATUS PAUSED");
        --running_;
        ++line_;
        return QStringLiteral("PROGRAM_STATUS RUNNING");
    }
    return QStringLiteral("GET %1 NAK").arg(what.toUpper());
}
