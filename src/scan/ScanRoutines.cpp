#include "scan/ScanRoutines.h"

#include "config/Configuration.h"
#include "config/MainView.h"
#include "config/RunState.h"
#include "config/ScanFields.h"
#include "config/Spaces.h"
#include "autosel/MirrorTrigger.h"
#include "config/TextNumber.h"
#include "listmgr/FieldSelection.h"
#include "listmgr/ListLine.h"
#include "listmgr/ListManager.h"
#include "listmgr/ListManagerLink.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Pauser.h"
#include "platform/RuntimeError.h"
#include "platform/SerialPort.h"
#include "program/ProgramHeaderReader.h"

ScanRoutines::ScanRoutines(Services services, ScanFields& fields) : s_(services), fields_(fields)
{
}

ScanRoutines::FieldChoiceMemory ScanRoutines::RememberFieldChoice() const
{
    return {fields_.CurrentFieldCode, fields_.RunFieldChosen, s_.selection.State};
}

void ScanRoutines::RestoreFieldChoice(const FieldChoiceMemory& memory)
{
    fields_.CurrentFieldCode = memory.code;
    fields_.RunFieldChosen = memory.chosen;
    s_.selection.State = memory.selection;
}

QString ScanRoutines::ProgramNameRefusal(const QString& name)
{
    if (Spaces::Trim(name).isEmpty())
        return QString(); // names no file, and adds no field
    if (!Paths::IsSafeRelativeName(name))
        return QStringLiteral("its program name %1 points outside the program folder").arg(Log::Printable(name));
    if (name.contains(QLatin1Char(';')) || name.contains(QLatin1Char('#')))
        return QStringLiteral("its program name %1 holds \";\" or \"#\", which would add fields to the list line").arg(Log::Printable(name));
    return QString();
}

bool ScanRoutines::HoldsLineEnd(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

void ScanRoutines::ReportTrouble(const QString& status, const QString& logDetail)
{
    s_.view.SetStatus(status);
    Log::Error(logDetail);
    troubleShown_ = true;
}

void ScanRoutines::Pause(float seconds)
{
    s_.pauser.Pause(seconds);
}

void ScanRoutines::HideIndicators()
{
    for (int i = 0; i <= 4; ++i)
        s_.view.SetIndicator(i, false);
}

void ScanRoutines::ShowReady()
{
    Pause(0.6f);
    if (!troubleShown_)
        s_.view.SetStatus(QStringLiteral("Ready."));
}

void ScanRoutines::EndProgramScan(bool added, const std::function<void()>& launchEditor)
{
    Pause(0.6f);
    ShowReady();
    HideIndicators();
    if (added) {
        fields_.LastProgramName = Spaces::Trim(fields_.CurrentProgramName);
        fields_.LastComment = Spaces::Trim(fields_.CurrentComment);
        if (s_.view.IsChecked(MainView::Box::ShowEd) && launchEditor)
            launchEditor();
    }
    fields_.ResetScanFields();
    s_.view.SetAutoFieldSelection(false);
}

void ScanRoutines::CompleteSizes(float& x, float& y, float& z)
{
    x = TextNumber::Single(fields_.CurrentSizeX);
    y = TextNumber::Single(fields_.CurrentSizeY);
    z = TextNumber::Single(fields_.CurrentSizeZ);
    if (x == 0 || y == 0 || z == 0)
        s_.header.ReadProgramHeader(s_.config.GCodePath + fields_.CurrentProgramName, x, y, z, fields_.CurrentComment);

    const auto fill = [](QString& text, float value) {
        if (TextNumber::Single(text) == 0)
            text = TextNumber::Format(value);
    };
    fill(fields_.CurrentSizeX, x);
    fill(fields_.CurrentSizeY, y);
    fill(fields_.CurrentSizeZ, z);
    x = TextNumber::Single(fields_.CurrentSizeX);
    y = TextNumber::Single(fields_.CurrentSizeY);
    z = TextNumber::Single(fields_.CurrentSizeZ);
}

bool ScanRoutines::AddLineRoutine(float x, float y, bool acknowledge)
{
    const QChar first = fields_.CurrentFieldCode.isEmpty() ? QChar() : fields_.CurrentFieldCode.at(0);
    const auto choose = [&](int mode) {
        s_.view.SetAutoFieldSelection(true);
        fields_.CurrentFieldCode = s_.selection.FieldChoice(mode, x, y);
    };
    if (first == QLatin1Char('&')) {
        choose(FieldSelection::Paired);
    } else if (first == QLatin1Char('P') || fields_.CurrentFieldCode.isEmpty()) {
        choose(FieldSelection::Normal);
    } else if (first == QLatin1Char('W')) {
        choose(FieldSelection::Mirrored);
    } else if (QStringLiteral("NSATRM").contains(first)) {
        int mode = FieldSelection::Explicit;
        s_.selection.FieldChoice(mode, 0, 0);
    }

    s_.view.SetStatus(QStringLiteral("Adding to Barcode data to List."));
    bool added = s_.line.AddLineToList(fields_);
    if (!added) {
        if (s_.link.HasWorkList())
            KeepTroubleShown(); // the list line has shown and logged its failure
        else
            ReportTrouble(QStringLiteral("Running without the list manager: the line was not added."),
                          QStringLiteral("no work list to add the line to"));
    }

    // Without the list manager there is no machine to start.
    const bool started = s_.view.IsChecked(MainView::Box::AutoStart) && s_.link.ListApp && StartWorkList();

    fields_.CurrentFieldCode.clear();
    fields_.RunFieldChosen = false;

    // The scanner's acknowledgement says the line is on the work list: a line that did not get
    // there is not acknowledged.
    if (acknowledge && added && s_.port.PortOpen()) {
        try {
            s_.port.Output(QStringLiteral("ACK\r"));
        } catch (const RuntimeError& e) {
            ReportTrouble(QStringLiteral("Could not acknowledge to the scanner: %1").arg(e.Description()),
                          QStringLiteral("acknowledgement not sent (error %1: %2)").arg(e.Number()).arg(e.Description()));
        }
    }
    return started;
}

void ScanRoutines::AddProgramLines(float x, float y, bool acknowledge)
{
    if (s_.mirror.TestMirrorTrigger()) {
        // Each "&" asks the field choice for the next of the two opposite mirror states.
        fields_.CurrentFieldCode = QStringLiteral("&");
        AddLineRoutine(x, y, acknowledge);
        fields_.CurrentFieldCode = QStringLiteral("&");
        AddLineRoutine(x, y, acknowledge);
    } else {
        AddLineRoutine(x, y, acknowledge);
    }
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
        Log::Info(QStringLiteral("%1 not sent: running without the list manager").arg(name));
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
        return true;
    } catch (const RuntimeError& e) {
        ReportTrouble(QStringLiteral("List manager error #%1 on %2: %3").arg(e.Number()).arg(name, e.Description()),
                      QStringLiteral("%1 failed with error %2: %3").arg(name).arg(e.Number()).arg(e.Description()));
        return false;
    }
}
