#pragma once

#include "platform/LineChannel.h"

#include <QStringList>

// linuxcncrsh as a LineChannel, for unit tests of what speaks to it: answers as the real one
// does (verbose on, echo off), from a small machine model, one event-loop turn later.
// A program runs for runPolls status polls once "set run" came; frozen answers no set that
// would go to LinuxCNC's task, as when the task has died behind linuxcncrsh.
class FakeLinuxCncrsh : public LineChannel {
public:
    void Open(const QString& host, quint16 port) override;
    void Close() override;
    void Send(const QByteArray& line) override;
    // The program ends as if it had run its course.
    void EndProgram() { running_ = 0; }

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
    QStringList received;      // every line sent to it

private:
    void answer(const QString& text);
    QString reply(const QString& command);

    int connection_ = 0;       // answers belong to the connection they were asked on
    bool hung_ = false;        // a set went unanswered: so does all that follows, as in linuxcncrsh
    int running_ = 0;          // status polls left before the program ends
    bool paused_ = false;
};
