#include "scan/ProgramScanHandler.h"

#include "config/Configuration.h"
#include "config/Spaces.h"
#include "listmgr/ListFileLoader.h"
#include "listmgr/ListLine.h"
#include "listmgr/ListManager.h"
#include "listmgr/ListManagerLink.h"
#include "platform/Files.h"
#include "platform/FileSearch.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "scan/ScanFields.h"
#include "scan/ScanRoutines.h"
#include "station/RunState.h"
#include "station/StationState.h"
#include "station/StatusLine.h"

#include <QFileInfo>

namespace {
const QString listRequest = QStringLiteral("*%00");
} // namespace

ProgramScanHandler::ProgramScanHandler(Services services, ScanFields& fields) : s_(std::move(services)), fields_(fields)
{
    parser_.SetSeparators(QStringLiteral("^"));
}

void ProgramScanHandler::HandleProgramScan(QString& scan)
{
    s_.status.BeginScan();
    firstScan();

    if (!scan.isEmpty() && scan.at(0).unicode() == PrefixMarker)
        scan.remove(0, PrefixLength);

    float x = 0;
    float y = 0;
    const qsizetype bang = scan.indexOf(QLatin1Char('!'));
    if (bang >= 0) {
        s_.state.SetStatus(QStringLiteral("Wait saving g-code."));
        // A refused barcode leaves the field choice as it found it.
        const ScanFields::FieldChoice fieldChoice = fields_.ChosenField();
        readHeader(scan.left(bang));
        const QString text = Spaces::Trim(scan.mid(bang + 1));
        const bool saving = text.size() >= ShortestSavedText;
        if (refuseHeader(scan.left(bang), saving)) {
            endProgram(false);
            fields_.RestoreChosenField(fieldChoice);
            return;
        }
        // A line for a program that is missing or older than the barcode would run the wrong one.
        if (saving && !saveProgram(text)) {
            endProgram(false);
            fields_.RestoreChosenField(fieldChoice);
            return;
        }
        const ScanFields::Sizes sizes = s_.routines.CompleteSizes(fields_);
        fields_.TakeSizes(sizes);
        x = sizes.x;
        y = sizes.y;
    } else if (scan.startsWith(listRequest)) {
        scan.remove(0, listRequest.size());
        scan.chop(2);
        s_.routines.ClearWorkList();
        s_.lists.LoadListFile(scan);
        return;
    }

    addLines(x, y);
    endProgram(true);
}

void ProgramScanHandler::endProgram(bool added)
{
    s_.routines.EndProgramScan(added, fields_.CurrentProgramName);
    fields_.EndProgram(added);
}

void ProgramScanHandler::firstScan()
{
    if (!s_.run.FirstScanPending)
        return;
    if (s_.link.FallbackExeList) {
        try {
            s_.link.FallbackExeList->Visible(true);
        } catch (const RuntimeError& e) {
            // Only a view of the list; the scan goes on without it.
            Log::Warning(QStringLiteral("fallback work list not shown (error %1: %2)").arg(e.Number()).arg(e.Description()));
        }
    }
    s_.routines.ClearWorkList();
    s_.run.FirstScanPending = false;
}

void ProgramScanHandler::readHeader(const QString& header)
{
    parser_.SetText(header);
    fields_.CurrentProgramName = parser_.Field(1);
    fields_.CurrentField164 = QStringLiteral("1");
    fields_.CurrentField165 = QStringLiteral("1");
    s_.state.SetIndicator(1, true);

    for (int i = 2; i <= 14; ++i) {
        const QString field = parser_.Field(i);
        if (field.isEmpty())
            continue;
        const QString value = Spaces::Trim(field.mid(1));
        switch (field.at(0).unicode()) {
        case u'X':
            fields_.CurrentSizeX = value;
            s_.state.SetIndicator(2, true);
            break;
        case u'Y':
            fields_.CurrentSizeY = value;
            s_.state.SetIndicator(2, true);
            break;
        case u'Z':
            fields_.CurrentSizeZ = value;
            s_.state.SetIndicator(2, true);
            break;
        case u'U':
            // A field fixed earlier by a field-selection label wins.
            if (Spaces::Trim(fields_.CurrentFieldCode).isEmpty())
                fields_.CurrentFieldCode = value;
            else if (!value.isEmpty() && value != fields_.CurrentFieldCode)
                fields_.Doubts << QStringLiteral("the barcode's field %1 is ignored: field %2 was fixed before it "
                                                 "by a field-selection label")
                                      .arg(Log::Printable(value), Log::Printable(fields_.CurrentFieldCode));
            break;
        default: // "V" is carried but not used; other tags are ignored
            break;
        }
    }
}

bool ProgramScanHandler::refuseHeader(const QString& header, bool saving)
{
    const QString& name = fields_.CurrentProgramName;
    QString why;
    if (ListLine::HoldsLineEnd(header))
        why = QStringLiteral("its header holds a line end");
    else if (Spaces::Trim(name).isEmpty())
        // A blank name only matters when a file is to be written: it would name the folder itself.
        why = saving ? QStringLiteral("it has no program name") : QString();
    else
        why = ListLine::ProgramNameRefusal(name);
    if (why.isEmpty())
        return false;
    s_.status.ReportTrouble(QStringLiteral("Program barcode refused: %1.").arg(why),
                              QStringLiteral("program barcode refused, nothing saved or added: %1 (program folder %2)")
                                  .arg(why, s_.config.GCodePath));
    return true;
}

bool ProgramScanHandler::saveProgram(const QString& text)
{
    const QString path = s_.config.GCodePath + fields_.CurrentProgramName;
    // A file that differs only in letter case is the same program to a Windows station.
    const QString native = FileSearch::ResolveCase(Paths::ToNative(path));
    if (!s_.state.IsTicked(StationState::Option::Overwrite)) {
        const QFileInfo existing(native);
        if (existing.isFile() && existing.size() > 0) {
            s_.status.Outcome(QStringLiteral("program %1 kept: it exists and Overwrite is off").arg(Log::Printable(path)));
            return true;
        }
    }
    const QByteArray content = text.toLatin1() + "\r\n";
    try {
        Files::WriteAtomically(native, content);
        s_.status.Outcome(QStringLiteral("program saved: %1 (%2 bytes)").arg(Log::Printable(path)).arg(content.size()));
        return true;
    } catch (const RuntimeError& e) {
        s_.status.ReportTrouble(QStringLiteral("Program %1 not saved: %2; nothing added.").arg(Log::Printable(fields_.CurrentProgramName), e.Description()),
                                QStringLiteral("program %1 not saved to %2 (error %3: %4); nothing added")
                                    .arg(Log::Printable(path), native)
                                    .arg(e.Number())
                                    .arg(e.Description()));
        return false;
    }
}

void ProgramScanHandler::addLines(float x, float y)
{
    s_.routines.AddProgramLines(fields_, x, y, false);
}
