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
    QString words;
    switch (kind) {
    case Kind::NotStarted:
        words = QStringLiteral("not started");
        break;
    case Kind::NoListManager:
        words = QStringLiteral("no list manager");
        break;
    case Kind::NotConnected:
        words = QStringLiteral("not connected");
        break;
    case Kind::Connecting:
        words = QStringLiteral("connecting");
        break;
    case Kind::EStop:
        words = QStringLiteral("E-stop");
        break;
    case Kind::Off:
        words = QStringLiteral("machine off");
        break;
    case Kind::NotHomed:
        words = QStringLiteral("not homed");
        break;
    case Kind::Ready:
        words = QStringLiteral("ready");
        break;
    case Kind::Running:
        words = QStringLiteral("running");
        break;
    case Kind::Held:
        words = QStringLiteral("held");
        break;
    case Kind::Setpoint:
        words = QStringLiteral("set-point step");
        break;
    case Kind::Fault:
        words = QStringLiteral("fault");
        break;
    }
    if (!program.isEmpty())
        words += QLatin1Char(' ') + program;
    if (line > 0)
        words += QStringLiteral(" (line %1 of %2)").arg(line).arg(lines);
    return detail.isEmpty() ? words : QStringLiteral("%1: %2").arg(words, detail);
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
