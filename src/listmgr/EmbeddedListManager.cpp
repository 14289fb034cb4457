#include "listmgr/EmbeddedListManager.h"

#include "listmgr/ListFile.h"
#include "platform/FileSearch.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"

#include <QFileInfo>

EmbeddedListManager::EmbeddedListManager(QObject* parent)
    : QObject(parent), journal_(JournalPath())
{
    const QString path = WorkListPath();
    if (!QFileInfo::exists(path))
        return;
    try {
        lines_ = ListFile::Read(path);
        Log::Info(QStringLiteral("list manager: %1 lines loaded from %2").arg(lines_.size()).arg(path));
    } catch (const RuntimeError& e) {
        Log::Error(QStringLiteral("list manager: the saved work list %1 cannot be read (error %2: %3); starting empty")
                       .arg(path)
                       .arg(e.Number())
                       .arg(e.Description()));
    }
}

bool EmbeddedListManager::NewList()
{
    call(QStringLiteral("NewList"), nullptr, [] {});
    return true;
}

void EmbeddedListManager::OpenList(const QString& path)
{
    call(QStringLiteral("OpenList"), &path,
         [this, &path] { replaceLines(ListFile::Read(FileSearch::ResolveCase(Paths::ToNative(path)))); });
}

void EmbeddedListManager::Start()
{
    call(QStringLiteral("Start"), nullptr, [this] { setState(Run::Running); });
}

void EmbeddedListManager::Hold()
{
    call(QStringLiteral("Hold"), nullptr, [this] {
        if (state_ == Run::Running)
            setState(Run::Held);
    });
}

void EmbeddedListManager::End()
{
    call(QStringLiteral("End"), nullptr, [this] { setState(Run::Ended); });
}

void EmbeddedListManager::Setpoint()
{
    call(QStringLiteral("Setpoint"), nullptr, [this] {
        ++setpoints_;
        Q_EMIT Changed();
    });
}

void EmbeddedListManager::AddLine(const QString& line)
{
    call(QStringLiteral("AddLine"), &line, [this, &line] {
        // The saved work list holds one line per line: a line end inside would come back as two.
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
            throw RuntimeError(RuntimeError::InvalidArgument,
                               QStringLiteral("Invalid procedure call or argument: a list line cannot hold a line end"));
        replaceLines(lines_ + QStringList{line});
    });
}

void EmbeddedListManager::ClearList()
{
    call(QStringLiteral("ClearList"), nullptr, [this] { replaceLines({}); });
}

void EmbeddedListManager::Visible(bool visible)
{
    const QString argument = visible ? QStringLiteral("True") : QStringLiteral("False");
    call(QStringLiteral("Visible"), &argument, [this, visible] {
        visible_ = visible;
        Q_EMIT VisibleChanged(visible);
    });
}

void EmbeddedListManager::Clear()
{
    call(QStringLiteral("Clear"), nullptr, [this] { replaceLines({}); });
}

QString EmbeddedListManager::RunText(Run run)
{
    switch (run) {
    case Run::Running:
        return QStringLiteral("running");
    case Run::Held:
        return QStringLiteral("held");
    case Run::Ended:
        break;
    }
    return QStringLiteral("ended");
}

QString EmbeddedListManager::FieldValue(const QString& line, int number)
{
    const QString tag = QLatin1Char('#') + QString::number(number) + QLatin1Char('=');
    qsizetype at = 0;
    // A tag counts only at the start of a field, so "#1611=" is not field 161.
    while ((at = line.indexOf(tag, at)) >= 0) {
        if (at == 0 || line[at - 1] == QLatin1Char(';')) {
            const qsizetype start = at + tag.size();
            const qsizetype end = line.indexOf(QLatin1Char(';'), start);
            return line.mid(start, end < 0 ? -1 : end - start);
        }
        at += tag.size();
    }
    return QString();
}

QString EmbeddedListManager::WorkListPath()
{
    return Paths::DataFolder() + QStringLiteral("/worklist.lst");
}

QString EmbeddedListManager::JournalPath()
{
    return Paths::DataFolder() + QStringLiteral("/listmanager.log");
}

void EmbeddedListManager::call(const QString& member, const QString* argument, const std::function<void()>& body)
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

void EmbeddedListManager::replaceLines(const QStringList& lines)
{
    ListFile::Write(WorkListPath(), lines);
    lines_ = lines;
    Q_EMIT Changed();
}

void EmbeddedListManager::setState(Run state)
{
    state_ = state;
    Q_EMIT Changed();
}
