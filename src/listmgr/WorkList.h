#pragma once

#include "listmgr/ListFields.h"

#include <QList>
#include <QString>
#include <QStringList>

// The work list Tarvex keeps for the list manager: the list lines in order, each with the state
// of its run, saved to a file after every change (temporary file, then rename). A line that is
// not waiting has its state on a comment line just before it (";state done",
// ";state failed: <why>"), so the file stays a plain list file that older readers take line by
// line, and a file without states loads as all waiting.
class WorkList {
public:
    enum class State { Waiting, Running, Done, Failed, Aborted, Unknown };

    struct Entry {
        quint64 id = 0; // stays with the line while it is on the list, unlike its position
        ListFields fields;
        State state = State::Waiting;
        QString note; // why it failed, was aborted or is unknown
    };

    explicit WorkList(QString nativePath);

    // The list saved by the previous run. A line that was running then is unknown now: Tarvex
    // ended while it ran. A file that cannot be read (a link, no regular file, past the bounds
    // of a list file) is logged and the list starts empty; the text then says why, for the
    // operator, else it is empty.
    QString Load();

    const QList<Entry>& Entries() const { return entries_; }
    // The lines as the file has them.
    QStringList Lines() const;
    // The entry with the id, or null when it has left the list.
    const Entry* Find(quint64 id) const;
    // The lines that were running when the run that saved the list ended: unknown now.
    const QList<quint64>& CutOff() const { return cutOff_; }
    // The first waiting line, or null.
    const Entry* NextWaiting() const;
    // Its position on the list, 1 first; 0 when it has left.
    int Position(quint64 id) const;

    // Changes of the list itself: saved first, and not made when saving fails (RuntimeError).
    // A line holding a line end or another control character is refused (error 5): it would
    // not come back as it went; so is a line past ListFile::MaxLines (error 75).
    void Append(const ListFields& line);
    void Replace(const QList<ListFields>& lines);

    // Records what became of a line; false when it has left the list. The state holds even when
    // the file cannot be saved, and that throws RuntimeError.
    bool SetState(quint64 id, State state, const QString& note = QString());

    // "waiting", "running", "done", "failed", "aborted", "unknown".
    static QString StateText(State state);
    // The state with its note, if any: "failed: <why>".
    static QString StateNote(const Entry& entry);

    const QString& Path() const { return path_; }

private:
    Entry make(const ListFields& line);
    void save(const QList<Entry>& entries) const;

    QString path_;
    QList<Entry> entries_;
    QList<quint64> cutOff_;
    quint64 lastId_ = 0;
};
