#pragma once

#include <QByteArray>
#include <QString>

// The other end of a serial line: the master side of a pseudo-terminal, as the virtual scanner
// has it. device is the slave side, which Tarvex opens; it is there as long as the master is.
class PtyLine {
public:
    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    void Send(const QByteArray& bytes);
    // What the other side wrote, until bytes came or two seconds passed.
    QByteArray Receive(int bytes);
    // The scanner goes away: the master side is closed.
    void Hangup();

    int master = -1;
    int slave = -1;
    QString device; // empty when no pseudo-terminal could be had
};
