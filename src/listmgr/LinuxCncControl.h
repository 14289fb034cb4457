#pragma once

#include "listmgr/LinuxCncClient.h"
#include "listmgr/LinuxCncSettings.h"
#include "listmgr/MachineControl.h"
#include "platform/LineChannel.h"

#include <memory>

class ListManagerJournal;

// LinuxCNC as a MachineControl, through linuxcncrsh (LinuxCncClient): every linuxcncrsh command
// the run needs is made and read here. Commands that act on the machine take the control back
// first ("set enable"), since another client of linuxcncrsh may have taken it.
class LinuxCncControl : public MachineControl {
    Q_OBJECT
public:
    struct Timing {
        LinuxCncClient::Timing client;
        int heartbeatPolls = 50; // a set every so many watches: a LinuxCNC that died answers no set
    };

    // Connecting starts at once.
    // channel: the connection to linuxcncrsh (tests give a scripted one).
    LinuxCncControl(std::unique_ptr<LineChannel> channel, LinuxCncSettings settings, ListManagerJournal& journal, Timing timing,
                    QObject* parent = nullptr);

    bool IsConnected() const override { return client_.IsConnected(); }
    QString Trouble() const override { return client_.Trouble(); }
    QString Name() const override { return QStringLiteral("LinuxCNC"); }
    QString Endpoint() const override { return settings_.Endpoint(); }
    qint64 AnsweringNs() const override { return client_.AnsweringNs(); }

    Line Read(const ListFields& listLine, const QSet<int>& alsoZero) const override;
    void Look(Then then, bool quiet = false) override;
    void ReadMessages(Then then) override;
    void TakeParameters(const QList<std::pair<int, QString>>& values, Then then) override;
    void Open(const QString& programName, Then then) override;
    void Run(Then then) override;
    void Watch(Then then) override;
    void Finish(Then then) override;
    void Pause(Then then) override;
    void Resume(Then then) override;
    void Abort(Then then) override;
    void StartSetpoint(Then then) override;
    void WatchSetpoint(Then then) override;

private:
    using Answers = std::function<void(const QStringList&)>;

    void client_Connected();
    void client_Lost(const QString& reason);

    // Sends the commands; a batch that cannot go (a control character) becomes a NotSent reply
    // on the next turn, as an answer would come.
    void send(const QStringList& commands, const Then& then, Answers answers, bool quiet = false);
    // As send, with the control taken first; answers gets the answers to the commands given.
    void control(const QStringList& commands, const Then& then, Answers answers, bool quiet = false);
    // A single set whose reply is Done or Refused with linuxcncrsh's answer.
    void act(const QString& command, Then then);
    void readErrors(const Then& then, const std::function<void(const QStringList&)>& found, QStringList sofar = {});
    // No MDI commands given: the set-point step homes every joint.
    bool setpointHomes() const { return settings_.setpoint.isEmpty(); }
    QString programPath(const QString& name, QString& why) const;

    std::unique_ptr<LineChannel> channel_;
    LinuxCncSettings settings_;
    LinuxCncClient client_;
    Timing timing_;
    int watches_ = 0;
    QString lineBefore_; // the program's line number when it was opened
    bool moved_ = false; // the opened program was seen at work
    // The last look at the program said idle, and nothing was asked of LinuxCNC since.
    bool knownIdle_ = false;
};
