#pragma once

#include "platform/LogFile.h"

#include <QString>

// The embedded list manager's record of every call it received, one UTF-8 line per call:
// local time, the member name, the argument if any, and "error N" when the call failed,
// separated by single TABs. Operators read it as what reached the machine. It is rotated by
// size as the log is (listmanager.log.1 to .3).
class ListManagerJournal {
public:
    explicit ListManagerJournal(QString nativePath);

    // The journal line without its end of line. Tabs and line ends inside the argument are
    // written as \x09, \x0D, \x0A so that a call stays one line.
    static QString Format(const QString& time, const QString& member, const QString* argument, int error);

    // Appends one line; a journal that cannot be written is logged, never fatal for the call.
    void Record(const QString& member, const QString* argument = nullptr, int error = 0);
    // Appends what was sent on to a machine control and its answer: member, the command as
    // sent (passwords hidden by the caller), the answer.
    void RecordAnswer(const QString& member, const QString& command, const QString& answer);

    const QString& Path() const { return path_; }

private:
    void append(const QString& line);

    QString path_;
    LogFile file_;
};
