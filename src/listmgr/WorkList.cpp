#include "listmgr/WorkList.h"

#include "listmgr/ListFile.h"
#include "listmgr/ListLine.h"
#include "platform/Log.h"
#include "platform/RuntimeError.h"

#include <QFileInfo>

namespace {
const QString statePrefix = QStringLiteral("state ");
constexpr WorkList::State allStates[] = {WorkList::State::Waiting, WorkList::State::Running, WorkList::State::Done,
                                         WorkList::State::Failed,  WorkList::State::Aborted, WorkList::State::Unknown};

// ";state failed: why" → failed, "why". Any other comment leaves the line waiting.
WorkList::State stateOf(const QString& comment, QString& note)
{
    if (!comment.startsWith(statePrefix))
        return WorkList::State::Waiting;
    const QString rest = comment.mid(statePrefix.size());
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    const QString name = (colon < 0 ? rest : rest.left(colon)).trimmed();
    for (WorkList::State state : allStates) {
        if (WorkList::StateText(state) == name) {
            note = colon < 0 ? QString() : rest.mid(colon + 1).trimmed();
            return state;
        }
    }
    return WorkList::State::Waiting;
}
} // namespace

WorkList::WorkList(QString nativePath) : path_(std::move(nativePath))
{
}

QString WorkList::Load()
{
    entries_.clear();
    cutOff_.clear();
    if (!QFileInfo::exists(path_))
        return QString();
    try {
        // A link in its place could make Tarvex take a file from anywhere for its list.
        for (const ListFile::Line& saved : ListFile::ReadWithComments(path_, Files::Links::Refuse)) {
            Entry entry = make(ListFields::Read(saved.text));
            entry.state = stateOf(saved.comment, entry.note);
            if (entry.state == State::Running) {
                entry.state = State::Unknown;
                entry.note = QStringLiteral("Tarvex ended while it ran");
                cutOff_ << entry.id;
            }
            entries_ << entry;
        }
        Log::Info(QStringLiteral("list manager: %1 lines loaded from %2").arg(entries_.size()).arg(path_));
    } catch (const RuntimeError& e) {
        entries_.clear();
        cutOff_.clear();
        const QString why = QStringLiteral("The saved work list %1 cannot be read (error %2: %3); the list starts empty.")
                                .arg(path_)
                                .arg(e.Number())
                                .arg(e.Description());
        Log::Error(QStringLiteral("list manager: ") + why);
        return why;
    }
    return QString();
}

QStringList WorkList::Lines() const
{
    QStringList lines;
    for (const Entry& entry : entries_)
        lines << entry.fields.Text();
    return lines;
}

const WorkList::Entry* WorkList::Find(quint64 id) const
{
    for (const Entry& entry : entries_) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

const WorkList::Entry* WorkList::NextWaiting() const
{
    for (const Entry& entry : entries_) {
        if (entry.state == State::Waiting)
            return &entry;
    }
    return nullptr;
}

int WorkList::Position(quint64 id) const
{
    for (int i = 0; i < entries_.size(); ++i) {
        if (entries_[i].id == id)
            return i + 1;
    }
    return 0;
}

void WorkList::Append(const ListFields& line)
{
    // The saved work list holds one line per line: a line end inside would come back as two,
    // and the list would not read back at all with any control character in it.
    if (ListLine::HoldsControlCharacter(line.Text()))
        throw RuntimeError(RuntimeError::InvalidArgument,
                           QStringLiteral("Invalid procedure call or argument: a list line cannot hold a line end or another control character"));
    if (entries_.size() >= ListFile::MaxLines)
        throw RuntimeError(RuntimeError::PathFileAccessError,
                           QStringLiteral("The work list holds %1 lines, as many as it can read back").arg(ListFile::MaxLines));
    QList<Entry> entries = entries_;
    entries << make(line);
    save(entries);
    entries_ = entries;
}

void WorkList::Replace(const QList<ListFields>& lines)
{
    QList<Entry> entries;
    for (const ListFields& line : lines)
        entries << make(line);
    save(entries);
    entries_ = entries;
}

bool WorkList::SetState(quint64 id, State state, const QString& note)
{
    for (Entry& entry : entries_) {
        if (entry.id != id)
            continue;
        entry.state = state;
        // The note is saved on a comment line: it must stay one line.
        entry.note = QString(note).replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        save(entries_);
        return true;
    }
    return false;
}

QString WorkList::StateText(State state)
{
    switch (state) {
    case State::Running:
        return QStringLiteral("running");
    case State::Done:
        return QStringLiteral("done");
    case State::Failed:
        return QStringLiteral("failed");
    case State::Aborted:
        return QStringLiteral("aborted");
    case State::Unknown:
        return QStringLiteral("unknown");
    case State::Waiting:
        break;
    }
    return QStringLiteral("waiting");
}

QString WorkList::StateNote(const Entry& entry)
{
    QString text = StateText(entry.state);
    if (!entry.note.isEmpty())
        text += QStringLiteral(": ") + entry.note;
    return text;
}

WorkList::Entry WorkList::make(const ListFields& line)
{
    Entry entry;
    entry.id = ++lastId_;
    entry.fields = line;
    return entry;
}

void WorkList::save(const QList<Entry>& entries) const
{
    QList<ListFile::Line> lines;
    for (const Entry& entry : entries) {
        QString comment;
        if (entry.state != State::Waiting)
            comment = statePrefix + StateNote(entry);
        lines << ListFile::Line{entry.fields.Text(), comment};
    }
    ListFile::Write(path_, lines);
}
