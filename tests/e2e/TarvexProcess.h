#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>

// The real tarvex executable, started unattended on the offscreen platform with its own
// configuration and data folders, and a pseudo-terminal standing in for the scanner's port.
class TarvexProcess {
public:
    TarvexProcess();
    ~TarvexProcess();

    QString ConfigFolder() const;  // $XDG_CONFIG_HOME/tarvex: ZEM.INI goes here
    QString DataFolder() const;    // $XDG_DATA_HOME/tarvex: log, journal, work list
    QString DriveC() const;        // where C:\ maps to
    QString ScannerDevice() const; // the pseudo-terminal's device, for [Ports] COM1

    // Writes ZEM.INI: the given [GESTBCOD] keys plus CommPollTime=100 and COM1 on the pty.
    void Configure(const QByteArray& gestbcodKeys, const QByteArray& moreSections = {});
    // COM1 on another device from now on (a tarvex-scanner's), in place of the own pty.
    void UsePortDevice(const QString& device) { port_ = device; }

    // Added to every start's arguments, and the platform plugin Qt is given.
    QStringList FixedArguments{QStringLiteral("UNATTENDED")};
    QString Platform = QStringLiteral("offscreen");

    // Starts tarvex with the arguments (FixedArguments first) and waits until the log has
    // the record (by default: start-up is done), looking every poll.
    bool Start(const QStringList& arguments = {}, const QString& record = QStringLiteral("start-up done"),
               std::chrono::milliseconds poll = std::chrono::milliseconds(20));
    // Ends it as a service manager does (SIGTERM), killing it only when that does not work.
    void Stop();
    bool Running() const { return process_.state() == QProcess::Running; }
    // Starts a second tarvex in the same environment and waits for it to end; its exit code.
    // What it printed, when asked for; else its standard output is dropped and its errors shown.
    int RunAnother(const QStringList& arguments, QByteArray* output = nullptr, QByteArray* errors = nullptr);

    // Sends bytes as the scanner would, then waits until the log shows the scan was handled.
    void Scan(const QByteArray& bytes);
    // Sends bytes as the scanner would, without waiting.
    void Send(const QByteArray& bytes);
    // What tarvex wrote back on the line so far.
    QByteArray Replies(std::chrono::milliseconds wait = std::chrono::milliseconds(300));

    QStringList Log() const;
    // The journal's lines with the time stamp removed: "AddLine\t#161=...".
    QStringList Journal() const;
    // Reads what a tarvex-scanner process prints until it holds an acknowledgement, then ends
    // that scanner; false when none came in time.
    bool WaitForAcknowledgement(QProcess& scanner);
    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(15),
                 std::chrono::milliseconds poll = std::chrono::milliseconds(20));

private:
    QProcessEnvironment environment() const;

    QTemporaryDir dir_;
    QProcess process_;
    int master_ = -1;
    QString slave_;
    QString port_;
    QByteArray replies_;
};
