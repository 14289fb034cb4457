#pragma once

#include <QString>
#include <QStringList>

// The headless LinuxCNC simulation of sim/ as the tests use it: started by start-sim.sh, driven
// by rsh.py, stopped by stop-sim.sh. One runs at a time on a machine, so there is one, shared by
// every test of the program; it is stopped at the end, and also when the program is ended by a
// signal or an abort. A run whose test program was killed outright is stopped by the next start.
class LinuxCncSim {
public:
    static LinuxCncSim& Instance();

    // Starts it on the port (0: a free one). unhomed: out of E-stop and on, but not homed.
    bool Start(quint16 port = 0, bool unhomed = false);
    bool Stop();
    // Stops it and starts it again on the same port.
    bool Restart(bool unhomed = false);
    bool Running() const { return !run_.isEmpty(); }

    // A machine ready for the next test: no program, out of E-stop, on, homed.
    bool Reset();
    bool EStop();

    // Sends the lines through rsh.py (see there: "set ..." must be acknowledged, "until SECS
    // REPLY | get ..." waits); true when all went well. Its output is kept for Output().
    bool Rsh(const QStringList& lines);
    // The answer to one "get ...", asked without taking the control from Tarvex.
    QString Get(const QString& request);
    const QString& Output() const { return output_; }

    quint16 Port() const { return port_; }
    const QString& RunFolder() const { return run_; }

private:
    LinuxCncSim() = default;
    void armEmergencyStop();

    QString run_;
    quint16 port_ = 0;
    QString output_;
};
