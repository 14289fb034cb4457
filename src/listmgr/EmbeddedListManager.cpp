#include "listmgr/EmbeddedListManager.h"

EmbeddedListManager::EmbeddedListManager(QObject* parent) : WorkListManager(parent)
{
}

bool EmbeddedListManager::NewList()
{
    call(QStringLiteral("NewList"), nullptr, [] {});
    listHandedOut_ = true;
    Q_EMIT Changed();
    return true;
}

MachineState EmbeddedListManager::Machine() const
{
    return MachineState::Of(listHandedOut_ ? MachineState::Kind::Ready : MachineState::Kind::NotStarted);
}

void EmbeddedListManager::Start()
{
    call(QStringLiteral("Start"), nullptr, [this] { setState(Run::Running); });
}

void EmbeddedListManager::Hold()
{
    call(QStringLiteral("Hold"), nullptr, [this] {
        if (state_ == Run::Running)
            setState(Run::Held);
    });
}

void EmbeddedListManager::End()
{
    call(QStringLiteral("End"), nullptr, [this] { setState(Run::Ended); });
}

void EmbeddedListManager::Setpoint()
{
    call(QStringLiteral("Setpoint"), nullptr, [this] { countSetpoint(); });
}

QString EmbeddedListManager::RunText(Run run)
{
    switch (run) {
    case Run::Running:
        return QStringLiteral("running");
    case Run::Held:
        return QStringLiteral("held");
    case Run::Ended:
        break;
    }
    return QStringLiteral("ended");
}

void EmbeddedListManager::setState(Run state)
{
    state_ = state;
    Q_EMIT Changed();
}
