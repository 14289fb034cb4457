#include "listmgr/ListLine.h"

#include "config/Spaces.h"
#include "config/TextNumber.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListManager.h"
#include "listmgr/ListManagerLink.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "station/StationState.h"

#include <algorithm>

namespace {
QString unlessZero(const QString& size)
{
    return TextNumber::Value(size) == 0.0 ? QString() : size;
}

// Even positions are the mirrored fields; 37, not found, is odd: normal.
bool mirrored(int position)
{
    return position % 2 == 0;
}
} // namespace

ListLine::ListLine(const FieldCodeTable& table, ListManagerLink& link, StationState& state)
    : table_(table), link_(link), state_(state)
{
}

QString ListLine::FolderRefusal(const QString& name, const QString& kind)
{
    if (Spaces::Trim(name).isEmpty() || Paths::IsSafeRelativeName(name))
        return QString();
    return QStringLiteral("its %1 name %2 points outside the %1 folder").arg(kind, Log::Printable(name));
}

QString ListLine::ProgramNameRefusal(const QString& name)
{
    if (Spaces::Trim(name).isEmpty())
        return QString(); // names no file, and adds no field
    // Not even a TAB: a name is one word of a command to a machine control.
    if (HoldsControlCharacter(name) || name.contains(QLatin1Char('\t')))
        return QStringLiteral("its program name %1 holds a control character").arg(Log::Printable(name));
    const QString outside = FolderRefusal(name, QStringLiteral("program"));
    if (!outside.isEmpty())
        return outside;
    const QString file = Spaces::Trim(QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')).section(QLatin1Char('/'), -1));
    if (file.isEmpty() || file == QLatin1String("."))
        return QStringLiteral("its program name %1 names a folder, not a file").arg(Log::Printable(name));
    if (name.contains(QLatin1Char(';')) || name.contains(QLatin1Char('#')))
        return QStringLiteral("its program name %1 holds \";\" or \"#\", which would add fields to the list line").arg(Log::Printable(name));
    return QString();
}

bool ListLine::HoldsLineEnd(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

bool ListLine::HoldsControlCharacter(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f;
    });
}

ListFields ListLine::ComposeListLine(const Values& values) const
{
    const int position = table_.Position(values.fieldCode);
    const int mirror = mirrored(position) ? 1 : 0;
    ListFields line;
    line.Add(161, values.programName);
    line.Add(164, values.field164);
    line.Add(171, QString::number(position));
    line.Add(284, QString::number(mirror));
    line.Add(280, values.field280);
    line.Add(165, values.field165);
    line.Add(168, unlessZero(values.sizeX));
    line.Add(169, unlessZero(values.sizeY));
    line.Add(170, unlessZero(values.sizeZ));
    line.Add(282, values.field282);
    line.Add(283, values.field283);
    return line;
}

QString ListLine::Describe(const Values& values) const
{
    const int position = table_.Position(values.fieldCode);
    if (position == FieldCodeTable::NotFound)
        return QStringLiteral("%1, field \"%2\" (no valid field, position %3)")
            .arg(values.programName.trimmed(), values.fieldCode)
            .arg(position);
    return QStringLiteral("%1, field %2 (position %3), %4")
        .arg(values.programName.trimmed(), values.fieldCode)
        .arg(position)
        .arg(mirrored(position) ? QStringLiteral("mirrored") : QStringLiteral("normal"));
}

QStringList ListLine::Doubts(const Values& values) const
{
    QStringList doubts;
    QStringList empty;
    const QString* sizes[] = {&values.sizeX, &values.sizeY, &values.sizeZ};
    const char* const names[] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) {
        if (unlessZero(*sizes[i]).isEmpty())
            empty << QLatin1String(names[i]);
    }
    if (!empty.isEmpty())
        doubts << QStringLiteral("sizes missing: %1 empty on the line").arg(empty.join(QStringLiteral(", ")));
    if (table_.Position(values.fieldCode) == FieldCodeTable::NotFound) {
        doubts << (Spaces::Trim(values.fieldCode).isEmpty()
                       ? QStringLiteral("no work field: none was chosen, so the line has position %1").arg(FieldCodeTable::NotFound)
                       : QStringLiteral("no work field: \"%1\" is none of the field codes, so the line has position %2")
                             .arg(Log::Printable(values.fieldCode))
                             .arg(FieldCodeTable::NotFound));
    }
    return doubts;
}

bool ListLine::AddLineToList(const Values& values)
{
    const ListFields line = ComposeListLine(values);
    if (!link_.HasWorkList()) {
        Log::Warning(QStringLiteral("line not added, running without the list manager: %1").arg(Log::Printable(line.Text())));
        return false;
    }
    try {
        link_.ExeListObject->AddLine(line);
        return true;
    } catch (const RuntimeError& e) {
        Log::Warning(QStringLiteral("AddLine failed with error %1 (%2); trying the fallback work list")
                         .arg(e.Number())
                         .arg(e.Description()));
    }
    try {
        link_.CreateFallbackExeList();
        link_.FallbackExeList->Visible(true);
        // Clearing a fallback that is the work list itself would throw away every program
        // queued so far, and a line that then fits would report success over the loss.
        if (link_.FallbackExeList != link_.ExeListObject)
            link_.FallbackExeList->Clear();
    } catch (const RuntimeError& e) {
        // The line is still sent once more: the work list itself may have recovered.
        Log::Error(QStringLiteral("fallback work list failed with error %1: %2").arg(e.Number()).arg(e.Description()));
    }
    try {
        link_.ExeListObject->AddLine(line);
        Log::Info(QStringLiteral("line added after recovery"));
        return true;
    } catch (const RuntimeError& e) {
        state_.SetStatus(QStringLiteral("The line was not added to the list (error %1: %2).").arg(e.Number()).arg(e.Description()));
        Log::Error(QStringLiteral("line not added (error %1: %2): %3").arg(e.Number()).arg(e.Description(), Log::Printable(line.Text())));
        return false;
    }
}
