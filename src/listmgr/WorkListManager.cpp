#include "listmgr/WorkListManager.h"

#include "listmgr/ListFile.h"
#include "platform/FileSearch.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"

WorkListManager::WorkListManager(QObject* parent)
    : QObject(parent), journal_(JournalPath()), list_(WorkListPath())
{
    const QString problem = list_.Load();
    // Told once the station listens: nobody is connected to the signals yet.
    if (!problem.isEmpty())
        QMetaObject::invokeMethod(this, [this, problem] { Q_EMIT StatusMessage(problem); }, Qt::QueuedConnection);
}

void WorkListManager::OpenList(const QString& path)
{
    call(QStringLiteral("OpenList"), &path,
         [this, &path] { replaceLines(ListFile::Read(FileSearch::ResolveCase(Paths::ToNative(path))), path); });
}

void WorkListManager::AddLine(const ListFields& line)
{
    const QString text = line.Text(); // as the journal has it
    call(QStringLiteral("AddLine"), &text, [this, &line] {
        list_.Append(line);
        const WorkList::Entry& added = list_.Entries().constLast();
        Q_EMIT LineAdded(added.id, added.fields, QString());
        Q_EMIT Changed();
    });
}

void WorkListManager::ClearList()
{
    call(QStringLiteral("ClearList"), nullptr, [this] { replaceLines({}); });
}

void WorkListManager::Visible(bool visible)
{
    const QString argument = visible ? QStringLiteral("True") : QStringLiteral("False");
    call(QStringLiteral("Visible"), &argument, [this, visible] { Q_EMIT VisibleChanged(visible); });
}

void WorkListManager::Clear()
{
    call(QStringLiteral("Clear"), nullptr, [this] { replaceLines({}); });
}

QString WorkListManager::WorkListPath()
{
    return Paths::DataFolder() + QStringLiteral("/worklist.lst");
}

QString WorkListManager::JournalPath()
{
    return Paths::DataFolder() + QStringLiteral("/listmanager.log");
}

void WorkListManager::call(const QString& member, const QString* argument, const std::function<void()>& body)
{
    try {
        body();
    } catch (const RuntimeError& e) {
        journal_.Record(member, argument, e.Number());
        Log::Error(QStringLiteral("list manager: %1 failed with error %2: %3").arg(member).arg(e.Number()).arg(e.Description()));
        throw;
    }
    journal_.Record(member, argument);
}

void WorkListManager::tell(const QString& text, Tone tone)
{
    const QString record = QStringLiteral("list manager: ") + text;
    switch (tone) {
    case Tone::Info:
        Log::Info(record);
        break;
    case Tone::Warning:
        Log::Warning(record);
        break;
    case Tone::Error:
        Log::Error(record);
        break;
    }
    Q_EMIT StatusMessage(text);
    if (tone == Tone::Error)
        Q_EMIT Fault(text);
    Q_EMIT Changed();
}

void WorkListManager::countSetpoint()
{
    ++setpoints_;
    Q_EMIT Changed();
}

void WorkListManager::mark(quint64 id, WorkList::State state, const QString& note)
{
    try {
        if (!list_.SetState(id, state, note))
            Log::Info(QStringLiteral("list manager: a line that has left the list is %1").arg(WorkList::StateText(state)));
    } catch (const RuntimeError& e) {
        tell(QStringLiteral("The state of a line (%1) could not be saved: %2").arg(WorkList::StateText(state), e.Description()),
             Tone::Error);
    }
    Q_EMIT Changed();
}

void WorkListManager::replaceLines(const QList<ListFields>& lines, const QString& listFile)
{
    const QList<WorkList::Entry> removed = list_.Entries();
    list_.Replace(lines);
    // What left the list is on record, state and all: the first scan after a restart clears the
    // list the previous run saved, and an operator may want to know what was still to be cut.
    constexpr qsizetype shown = 200;
    if (!removed.isEmpty())
        Log::Info(QStringLiteral("work list: %1 lines removed").arg(removed.size()));
    for (qsizetype i = 0; i < qMin(removed.size(), shown); ++i)
        Log::Info(QStringLiteral("work list: removed line %1 (%2): %3")
                      .arg(i + 1)
                      .arg(WorkList::StateNote(removed[i]), Log::Printable(removed[i].fields.Text())));
    if (removed.size() > shown)
        Log::Info(QStringLiteral("work list: %1 more lines removed").arg(removed.size() - shown));
    if (!removed.isEmpty())
        Q_EMIT LinesRemoved(removed);
    for (const WorkList::Entry& entry : list_.Entries())
        Q_EMIT LineAdded(entry.id, entry.fields, listFile);
    Q_EMIT Changed();
}
