#include "station/MachineState.h"

MachineState MachineState::Of(Kind kind, const QString& detail)
{
    MachineState state;
    state.kind = kind;
    state.detail = detail;
    return state;
}

MachineState MachineState::AtWork(Kind kind, const QString& program, int line, int lines)
{
    MachineState state;
    state.kind = kind;
    state.program = program;
    state.line = line;
    state.lines = lines;
    return state;
}

QString MachineState::Words() const
{
    const auto withDetail = [this](const QString& words) {
        return detail.isEmpty() ? words : QStringLiteral("%1: %2").arg(words, detail);
    };
    const auto program = [this, &withDetail](const QString& words) {
        if (this->program.isEmpty())
            return withDetail(words);
        QString text = QStringLiteral("%1 %2").arg(words, this->program);
        if (line > 0)
            text += QStringLiteral(" (line %1 of %2)").arg(line).arg(lines);
        return detail.isEmpty() ? text : QStringLiteral("%1: %2").arg(text, detail);
    };
    switch (kind) {
    case Kind::NotStarted:
        return QStringLiteral("not started");
    case Kind::NoListManager:
        return withDetail(QStringLiteral("no list manager"));
    case Kind::NotConnected:
        return withDetail(QStringLiteral("not connected"));
    case Kind::Connecting:
        return QStringLiteral("connecting");
    case Kind::EStop:
        return QStringLiteral("E-stop");
    case Kind::Off:
        return QStringLiteral("machine off");
    case Kind::NotHomed:
        return QStringLiteral("not homed");
    case Kind::Ready:
        return QStringLiteral("ready");
    case Kind::Running:
        return program(QStringLiteral("running"));
    case Kind::Held:
        return program(QStringLiteral("held"));
    case Kind::Setpoint:
        return QStringLiteral("set-point step");
    case Kind::Fault:
        return QStringLiteral("fault: ") + detail;
    }
    return QString();
}

MachineState::Colour MachineState::ColourOf() const
{
    switch (kind) {
    case Kind::NotStarted:
    case Kind::NoListManager:
    case Kind::NotConnected:
    case Kind::Connecting:
        return Colour::Grey;
    case Kind::EStop:
    case Kind::Fault:
        return Colour::Red;
    case Kind::Off:
    case Kind::NotHomed:
    case Kind::Held:
        return Colour::Amber;
    case Kind::Running:
    case Kind::Setpoint:
        return Colour::Green;
    case Kind::Ready:
        return Colour::Plain;
    }
    return Colour::Grey;
}
