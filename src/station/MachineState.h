#pragma once

#include <QDateTime>
#include <QString>

// What the machine behind the work list is, as the list manager reports it and the station
// shows it: a kind, with the program and its place on the list while one runs or is held, and
// the reason of a fault or of a missing connection.
struct MachineState {
    enum class Kind {
        NotStarted,    // the list manager has not handed out its work list yet
        NoListManager, // NOAPP, or Continue chosen at start-up: lines go nowhere
        NotConnected,
        Connecting,
        EStop,
        Off,
        NotHomed,
        Ready,
        Running,
        Held,
        Setpoint,
        Fault,
    };
    // How the station shows it: grey not connected, red E-stop or fault, amber held or not
    // ready, green at work, plain ready.
    enum class Colour { Grey, Red, Amber, Green, Plain };

    Kind kind = Kind::NotStarted;
    QString program; // Running, Held: the program of the line
    int line = 0;    // its position on the work list, 1 first; 0 when not known
    int lines = 0;   // the lines on the list
    QString detail;  // Fault: the reason; NotConnected, NoListManager, Held: why, when known
    QDateTime time;  // Fault: when it was reported

    static MachineState Of(Kind kind, const QString& detail = QString());
    static MachineState AtWork(Kind kind, const QString& program, int line, int lines);

    // "running P1.CNC (line 2 of 5)", "fault: connection lost", "E-stop" ...
    QString Words() const;
    Colour ColourOf() const;

    bool operator==(const MachineState& other) const = default;
};
