#pragma once

#include "listmgr/LinuxCncSettings.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class LineChannel;
class ListManagerJournal;

// A session with linuxcncrsh, LinuxCNC's text protocol over TCP. It connects and hands itself
// the control (hello, echo off, verbose on so that every set is answered, enable, and the two
// settings every client shares: set_wait received, no timeout), then sends commands as they
// come: linuxcncrsh answers each with one line, in order, so several can be on their way at
// once. Every command and its answer go to the journal and the log, passwords hidden.
//
// A line is taken only as the answer to the command it answers ("SET RUN ..." to "set run"):
// anything else while a command waits means the conversation is out of step, and the connection
// ends with what came. Lines that come while nothing waits are logged, up to a few in a row; the
// rest are dropped and counted once.
//
// linuxcncrsh keeps a connection open even when the rest of LinuxCNC has died, and then never
// answers a set: an answer that takes longer than the reply timeout ends the connection as lost.
// After a loss it connects again by itself.
class LinuxCncClient : public QObject {
    Q_OBJECT
public:
    struct Timing {
        int replyTimeoutMs = 5000;
        int reconnectMs = 2000;
        int refusedReconnectMs = 30000; // after a password was refused: nobody fixes that in 2 s
    };
    // Unasked lines logged in a row; those after them are only counted.
    static constexpr int MaxUnaskedLogged = 10;
    using Done = std::function<void(const QStringList& answers)>;

    LinuxCncClient(LineChannel& channel, LinuxCncSettings settings, ListManagerJournal& journal, Timing timing,
                   QObject* parent = nullptr);

    // Connects now, and again after every loss.
    void Open();
    bool IsConnected() const { return phase_ == Phase::Ready; }
    // Why the last attempt failed or the connection went; empty while connected.
    const QString& Trouble() const { return trouble_; }

    // Sends the commands at once; done gets their answers, one each, in order. Nothing is called
    // when the connection goes first. A quiet command (a status poll) is journalled only when its
    // answer differs from the last one. A command holding a control character would reach
    // linuxcncrsh as more than one: then none of them is sent, and why comes back (else empty).
    QString Send(const QStringList& commands, Done done, bool quiet = false);

    // Time LinuxCNC has spent answering so far: for each command, from when it was the oldest
    // unanswered one until its answer. The rest of a wait is Tarvex's.
    qint64 AnsweringNs() const { return answeringNs_; }

    // The command as the journal shows it: passwords replaced by "***".
    static QString Shown(const QString& command);
    // True when linuxcncrsh took the set: "SET MODE ACK" to "set mode auto", nothing else.
    static bool Acknowledged(const QString& command, const QString& answer);
    // True when the line has the form of linuxcncrsh's answer to the command: "SET OPEN ACK" or
    // "SET OPEN NAK" to "set open ...", "PROGRAM_STATUS ..." to "get program_status".
    static bool IsAnswerTo(const QString& command, const QString& answer);

Q_SIGNALS:
    void Connected();
    void Lost(const QString& reason);

private:
    enum class Phase { Closed, Opening, Handshake, Ready };
    struct Batch {
        QStringList answers;
        qsizetype expected = 0;
        Done done;
    };
    struct Pending {
        QString command;
        bool quiet = false;
        std::shared_ptr<Batch> batch;
    };

    void channel_Opened();
    void channel_LineReceived(const QByteArray& line);
    void channel_Closed(const QString& reason);
    void replyTimer_timeout();

    void handshake();
    void fail(const QString& reason, bool refused = false);
    QString sendNow(const QStringList& commands, Done done, bool quiet);
    void unasked(const QString& line);
    void reportUnasked();
    void record(const Pending& pending, const QString& answer);
    void armReplyTimer();

    LineChannel& channel_;
    LinuxCncSettings settings_;
    ListManagerJournal& journal_;
    Timing timing_;
    Phase phase_ = Phase::Closed;
    std::deque<Pending> pending_;
    QTimer replyTimer_;
    QTimer reconnectTimer_;
    QElapsedTimer headSince_; // since the oldest unanswered command became the oldest
    qint64 answeringNs_ = 0;
    QHash<QString, QString> lastQuiet_;
    QString trouble_;
    int refusals_ = 0; // passwords refused in a row
    int unaskedLogged_ = 0;  // unasked lines logged since the last answer
    qint64 unaskedDropped_ = 0; // and those dropped after them
};
