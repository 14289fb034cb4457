#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

class TarvexProcess;

// The real tarvex-scanner, fed one line at a time: each line it reads is sent to Tarvex as one
// scan on its pseudo-terminal.
class ScannerProcess {
public:
    ScannerProcess();
    ~ScannerProcess();

    // Starts it; its device, for [Ports] COM1, or empty text when it did not start.
    QString Start();
    // Sends the text as one scan and waits until Tarvex's log says the scan was handled.
    bool Scan(TarvexProcess& tarvex, const QByteArray& text);
    // What Tarvex sent back so far ("ACK\r" as the scanner prints it: "ACK\r" escaped).
    QByteArray Replies();

private:
    QProcess process_;
    QByteArray replies_;
};
