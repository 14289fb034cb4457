#pragma once

class LinuxCncListManager;

#include "platform/LineChannel.h"

#include <QStringList>

#include <memory>

#include <utility>

// linuxcncrsh as a LineChannel, for unit tests of what speaks to it: answers as the real one
// does (verbose on, echo off), from a small machine model, one event-loop turn later.
// A program runs for runPolls status polls once "set run" came; frozen answers no set that
// would go to LinuxCNC's task, as when the task has died behind linuxcncrsh.
class FakeLinuxCncrsh : public LineChannel {
public:
    // The LinuxCNC list manager over a new scripted linuxcncrsh, with the program folder /cnc and
    // timings short enough for tests; rsh is set to the channel it talks to.
    static std::shared_ptr<LinuxCncListManager> MakeListManager(FakeLinuxCncrsh*& rsh);

    void Open(const QString& host, quint16 port) override;
    void Close() override;
    // The program ends as if it had run its course.
    void EndProgram() { running_ = 0; }
    // Lines nobody asked for, at once, as a peer that floods the connection sends them.
    void SendUnasked(const QString& text, int count);

    bool reachable = true;
    bool frozen = false;
    bool open = false;
    int opens = 0;
    QString estop = QStringLiteral("OFF");
    QString machine = QStringLiteral("ON");
    QString program = QStringLiteral("NONE");
    QStringList errors;        // queued for "get error"
    QStringList runErrors;     // queued when a program runs
    int runPolls = 2;
    bool runsNothing = false;  // "set run" is acknowledged, yet the program stays idle at line 0
    // Answers given instead of the model's: the first that is the command or its first words answers.
    QList<std::pair<QString, QString>> scripted;
    QStringList received;      // every line sent to it

protected:
    void write(const QByteArray& line) override;

private:
    void answer(const QString& text);
    QString reply(const QString& command);

    int connection_ = 0;       // answers belong to the connection they were asked on
    bool hung_ = false;        // a set went unanswered: so does all that follows, as in linuxcncrsh
    int running_ = 0;          // status polls left before the program ends
    bool paused_ = false;
    int line_ = 0;             // the program's line number as LinuxCNC reports it
};
