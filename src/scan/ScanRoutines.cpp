#include "scan/ScanRoutines.h"

#include "autosel/FieldSelection.h"
#include "autosel/MirrorTrigger.h"
#include "config/Configuration.h"
#include "config/Spaces.h"
#include "config/TextNumber.h"
#include "listmgr/ListLine.h"
#include "listmgr/ListManager.h"
#include "listmgr/ListManagerLink.h"
#include "platform/FileSearch.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "platform/SerialPort.h"
#include "program/EditorLauncher.h"
#include "program/ProgramHeaderReader.h"
#include "station/RunState.h"
#include "station/StationState.h"
#include "station/StatusLine.h"

#include <QFileInfo>

ScanRoutines::ScanRoutines(Services services) : s_(services)
{
}

void ScanRoutines::EndProgramScan(bool added, const QString& programName)
{
    s_.status.Pause(0.6f);
    s_.status.ShowReady();
    s_.status.HideIndicators();
    if (added && s_.state.IsTicked(StationState::Option::ShowEd))
        s_.editor.LaunchEditor(programName);
    s_.state.SetAutoFieldSelection(false);
}

ScanFields::Sizes ScanRoutines::CompleteSizes(const ScanFields& program)
{
    ScanFields::Sizes sizes;
    sizes.textX = program.CurrentSizeX;
    sizes.textY = program.CurrentSizeY;
    sizes.textZ = program.CurrentSizeZ;
    sizes.x = TextNumber::Single(sizes.textX);
    sizes.y = TextNumber::Single(sizes.textY);
    sizes.z = TextNumber::Single(sizes.textZ);
    if (sizes.x == 0 || sizes.y == 0 || sizes.z == 0) {
        sizes.commentRead = true;
        s_.header.ReadProgramHeader(s_.config.GCodePath + program.CurrentProgramName, sizes.x, sizes.y, sizes.z,
                                    sizes.comment);
    }

    const auto fill = [](QString& text, float value) {
        if (TextNumber::Single(text) == 0)
            text = TextNumber::Format(value);
    };
    fill(sizes.textX, sizes.x);
    fill(sizes.textY, sizes.y);
    fill(sizes.textZ, sizes.z);
    sizes.x = TextNumber::Single(sizes.textX);
    sizes.y = TextNumber::Single(sizes.textY);
    sizes.z = TextNumber::Single(sizes.textZ);
    return sizes;
}

bool ScanRoutines::AddLineRoutine(const ScanFields& program, const QString& fieldCode, float x, float y, bool acknowledge)
{
    QString code = fieldCode;
    const QChar first = code.isEmpty() ? QChar() : code.at(0);
    const auto choose = [&](int mode) {
        s_.state.SetAutoFieldSelection(true);
        code = s_.selection.FieldChoice(mode, code, x, y);
    };
    if (first == QLatin1Char('&')) {
        choose(FieldSelection::Paired);
    } else if (first == QLatin1Char('P') || code.isEmpty()) {
        choose(FieldSelection::Normal);
    } else if (first == QLatin1Char('W')) {
        choose(FieldSelection::Mirrored);
    } else if (QStringLiteral("NSATRM").contains(first)) {
        int mode = FieldSelection::Explicit;
        s_.selection.FieldChoice(mode, code, 0, 0);
    }

    s_.state.SetStatus(QStringLiteral("Adding to Barcode data to List."));
    const ListLine::Values values = program.LineValues(code);
    const bool added = s_.line.AddLineToList(values);
    if (added) {
        s_.status.Outcome(QStringLiteral("line added: %1").arg(s_.line.Describe(values)));
        for (const QString& doubt : doubts(program, values))
            s_.status.Doubt(doubt);
    } else {
        if (s_.link.HasWorkList())
            s_.status.KeepScanTroubleShown(); // the list line has shown and logged its failure
        else
            s_.status.ReportTrouble(QStringLiteral("Running without the list manager: the line was not added."),
                                    QStringLiteral("no work list to add the line to"));
    }

    // Without the list manager there is no machine to start.
    const bool started = s_.state.IsTicked(StationState::Option::AutoStart) && s_.link.ListApp && StartWorkList();

    // The scanner's acknowledgement says the line is on the work list: a line that did not get
    // there is not acknowledged.
    if (acknowledge && added && s_.port.PortOpen()) {
        try {
            s_.port.Output(QStringLiteral("ACK\r"));
        } catch (const RuntimeError& e) {
            s_.status.ReportTrouble(QStringLiteral("Could not acknowledge to the scanner: %1").arg(e.Description()),
                                    QStringLiteral("acknowledgement not sent (error %1: %2)").arg(e.Number()).arg(e.Description()));
        }
    }
    return started;
}

void ScanRoutines::AddProgramLines(const ScanFields& program, float x, float y, bool acknowledge)
{
    switch (s_.mirror.TestMirrorTrigger(program.CurrentProgramName, program.CurrentComment)) {
    case MirrorTrigger::Outcome::NormalAndMirrored:
        // Each "&" asks the field choice for the next of the two opposite mirror states.
        AddLineRoutine(program, QStringLiteral("&"), x, y, acknowledge);
        AddLineRoutine(program, QStringLiteral("&"), x, y, acknowledge);
        break;
    case MirrorTrigger::Outcome::Mirrored:
        AddLineRoutine(program, QStringLiteral("W"), x, y, acknowledge);
        break;
    case MirrorTrigger::Outcome::Normal:
        AddLineRoutine(program, QStringLiteral("P"), x, y, acknowledge);
        break;
    case MirrorTrigger::Outcome::NotTested:
        AddLineRoutine(program, program.CurrentFieldCode, x, y, acknowledge);
        break;
    }
}

QStringList ScanRoutines::doubts(const ScanFields& program, const ListLine::Values& values) const
{
    QStringList found;
    const QString name = Spaces::Trim(program.CurrentProgramName);
    if (!name.isEmpty()) {
        const QString path = s_.config.GCodePath + name;
        // A file that differs only in letter case is the same program to a Windows station.
        if (!QFileInfo(FileSearch::ResolveCase(Paths::ToNative(path))).isFile())
            found << QStringLiteral("program file %1 not found").arg(Log::Printable(path));
    }
    return found + s_.line.Doubts(values) + program.Doubts;
}

bool ScanRoutines::ClearWorkList()
{
    if (s_.run.HasSwitch(QStringLiteral("NOAPP")))
        return true;
    return command(Command::ClearList);
}

bool ScanRoutines::StartWorkList()
{
    return command(Command::Start);
}

bool ScanRoutines::HoldWorkList()
{
    return command(Command::Hold);
}

bool ScanRoutines::EndWorkList()
{
    return command(Command::End);
}

bool ScanRoutines::Setpoint()
{
    return command(Command::Setpoint);
}

bool ScanRoutines::command(Command which)
{
    static const char* const names[] = {"ClearList", "Start", "Hold", "End", "Setpoint"};
    const QString name = QLatin1String(names[static_cast<int>(which)]);
    // ClearList goes to the work list, the run commands to the application object.
    const auto& target = which == Command::ClearList ? s_.link.ExeListObject : s_.link.ListApp;
    if (!target) {
        s_.status.Outcome(QStringLiteral("%1 not sent: running without the list manager").arg(name));
        return true;
    }
    try {
        switch (which) {
        case Command::ClearList:
            target->ClearList();
            break;
        case Command::Start:
            target->Start();
            break;
        case Command::Hold:
            target->Hold();
            break;
        case Command::End:
            target->End();
            break;
        case Command::Setpoint:
            target->Setpoint();
            break;
        }
        s_.status.Outcome(QStringLiteral("command sent: %1").arg(name));
        return true;
    } catch (const RuntimeError& e) {
        s_.status.ReportTrouble(QStringLiteral("List manager error #%1 on %2: %3").arg(e.Number()).arg(name, e.Description()),
                      QStringLiteral("%1 failed with error %2: %3").arg(name).arg(e.Number()).arg(e.Description()));
        return false;
    }
}
