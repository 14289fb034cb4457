#pragma once

#include "listmgr/MachineControl.h"

#include <QHash>
#include <QSet>

#include <deque>

// A MachineControl for tests of the run's policy: every request is written to a journal
// ("TakeParameters #164=1 #200=5", "Open P1.CNC", "Run", ...) and answered on a later turn from
// a small machine model, or from replies scripted per request. Requests of a kind put on hold
// wait until the test releases them, so that a call can come while a step is on its way, or a
// reply come late.
class ScriptedMachineControl : public MachineControl {
    Q_OBJECT
public:
    ScriptedMachineControl();

    bool IsConnected() const override { return connected_; }
    QString Trouble() const override { return connected_ ? QString() : QStringLiteral("scripted away"); }
    QString Name() const override { return QStringLiteral("LinuxCNC"); }
    QString Endpoint() const override { return QStringLiteral("127.0.0.1:5007"); }
    qint64 AnsweringNs() const override { return 0; }

    // As LinuxCNC reads it.
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

    // The connection comes or goes; replies on their way go with it.
    void Connect();
    void Lose(const QString& reason);
    // Answers the requests held so far, oldest first (from the model or the script, as they would have been).
    void Release();
    // The requests of the journal that start so.
    QStringList Sent(const QString& start) const;

    // The machine as the model has it.
    State machine = State::Idle;
    QStringList messages;       // queued, read by ReadMessages and Finish
    bool paused = false;        // the program is held (by Pause, or at the machine)
    int runWatches = 1;         // watches a program is seen running before it ends
    bool setpointEnds = true;
    // Replies given instead of the model's, per request kind ("Open"), used up in order.
    QHash<QString, std::deque<Reply>> scripted;
    QSet<QString> hold;         // request kinds whose replies wait for Release
    QStringList journal;

private:
    struct Request {
        QString kind;
        Then then;
    };
    void request(const QString& kind, const QString& detail, Then then);
    void answer(const Request& request);
    Reply replyTo(const QString& kind); // the script's next reply, else the model's
    Reply model(const QString& kind);

    bool connected_ = false;
    quint64 connection_ = 0;
    std::deque<Request> held_;
    int watchesLeft_ = 0;
    bool running_ = false;
};
