#include "listmgr/LinuxCncProbe.h"

#include "listmgr/LinuxCncControl.h"
#include "listmgr/WorkListManager.h"
#include "platform/Log.h"
#include "platform/TcpLineChannel.h"

#include <utility>

LinuxCncProbe::LinuxCncProbe(LinuxCncSettings settings, int limitMs, std::unique_ptr<LineChannel> channel, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), limitMs_(limitMs),
      channel_(channel ? std::move(channel) : std::make_unique<TcpLineChannel>()), journal_(WorkListManager::JournalPath())
{
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, [this] {
        finish(Outcome::Unreachable, QStringLiteral("No answer from LinuxCNC at %1 within %2 s: check the host, the port and the network.")
                                         .arg(settings_.Endpoint())
                                         .arg(limitMs_ / 1000.0));
    });
}

LinuxCncProbe::~LinuxCncProbe() = default;

void LinuxCncProbe::Start()
{
    Log::Info(QStringLiteral("testing the connection to LinuxCNC at %1").arg(settings_.Endpoint()));
    limit_.start(limitMs_);
    LinuxCncControl::Timing timing;
    timing.client.replyTimeoutMs = limitMs_;
    timing.client.reconnectMs = limitMs_ * 10; // one attempt: the limit ends the test first
    timing.client.refusedReconnectMs = limitMs_ * 10;
    control_ = std::make_unique<LinuxCncControl>(std::move(channel_), settings_, journal_, timing);
    connect(control_.get(), &MachineControl::Connected, this, &LinuxCncProbe::control_Connected);
    connect(control_.get(), &MachineControl::Lost, this, &LinuxCncProbe::control_Lost);
}

void LinuxCncProbe::control_Connected()
{
    control_->Look([this](const MachineControl::Reply& reply) {
        const QString at = QStringLiteral("Connected to LinuxCNC at %1: ").arg(settings_.Endpoint());
        switch (reply.status.state) {
        case MachineControl::State::EStop:
            return finish(Outcome::EStop, at + QStringLiteral("the machine is in E-stop. Release it at the machine before a Start."));
        case MachineControl::State::Off:
            return finish(Outcome::Connected, at + QStringLiteral("the machine is off."));
        case MachineControl::State::Running:
        case MachineControl::State::Paused:
            return finish(Outcome::Connected, at + QStringLiteral("the machine is on and busy with a program."));
        case MachineControl::State::Error:
            return finish(Outcome::Connected, at + QStringLiteral("the machine is on; its program reports \"%1\".").arg(reply.status.text));
        default:
            return finish(Outcome::Connected, at + QStringLiteral("the machine is on and idle."));
        }
    });
}

void LinuxCncProbe::control_Lost(const QString& reason)
{
    // The client's own words for a password refused; the socket's for a port nobody listens on.
    if (reason.contains(QLatin1String("password"), Qt::CaseInsensitive))
        return finish(Outcome::WrongPassword, QStringLiteral("Wrong password: %1.").arg(reason));
    if (reason.contains(QLatin1String("Connection refused"), Qt::CaseInsensitive))
        return finish(Outcome::Refused, QStringLiteral("Refused: nothing listens at %1. Is linuxcncrsh started with -p %2?")
                                            .arg(settings_.Endpoint())
                                            .arg(settings_.port));
    if (reason.startsWith(QLatin1String("LinuxCNC cannot be reached")))
        return finish(Outcome::Unreachable, QStringLiteral("No route: %1. Check the host and the network.").arg(reason));
    finish(Outcome::Failed, QStringLiteral("Not connected: %1.").arg(reason));
}

void LinuxCncProbe::finish(Outcome outcome, const QString& text)
{
    if (std::exchange(over_, true))
        return;
    limit_.stop();
    Log::Info(QStringLiteral("connection test: %1").arg(text));
    // Dropped after this turn: it is still inside its own call, and must try no reconnection.
    if (control_) {
        control_->disconnect(this);
        control_.release()->deleteLater();
    }
    Q_EMIT Finished(Result{outcome, text});
}
