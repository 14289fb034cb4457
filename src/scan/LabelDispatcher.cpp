#include "scan/LabelDispatcher.h"

#include "autosel/AutoSelectRules.h"
#include "autosel/FieldSelection.h"
#include "config/Configuration.h"
#include "config/Spaces.h"
#include "config/TextNumber.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListFileLoader.h"
#include "listmgr/ListLine.h"
#include "platform/Log.h"
#include "platform/RuntimeError.h"
#include "program/CsvTransfer.h"
#include "program/ProgramHeaderReader.h"
#include "scan/ScanFields.h"
#include "scan/ScanRoutines.h"
#include "station/RunState.h"
#include "station/StationState.h"
#include "station/StatusLine.h"

namespace {
const QString programExtension = QStringLiteral(".CNC");

QString withExtension(const QString& name)
{
    return name.right(4).toUpper() == programExtension ? name : name + programExtension;
}

int numberOf(const QString& text)
{
    return static_cast<int>(TextNumber::Value(text));
}
} // namespace

LabelDispatcher::LabelDispatcher(Services services, ScanFields& fields) : s_(std::move(services)), fields_(fields)
{
}

bool LabelDispatcher::DispatchLabel(QString label)
{
    s_.status.BeginScan();
    if (ListLine::HoldsLineEnd(label)) {
        refuse(label, QStringLiteral("it holds a line end (a scanner suffix?)"));
        return false;
    }
    if (s_.run.FirstScanPending) {
        s_.routines.ClearWorkList();
        s_.run.FirstScanPending = false;
    }

    bool accepted = false;
    if (command(label, accepted))
        return accepted;
    if (fieldSelection(label))
        return true;

    // A refused label leaves the program being assembled and the field choice as it found them.
    const ScanFields before = fields_;
    const FieldSelection::FieldSelectionState selection = s_.selection.State;
    fields_.CurrentField164 = QStringLiteral("1");
    fields_.CurrentField165 = QStringLiteral("1");

    QString count;
    Outcome outcome;
    if (!label.contains(QLatin1Char('%')) && !label.contains(QLatin1Char('$'))) {
        outcome = plainLabel(label, count);
    } else {
        bool listFileResult = false;
        if (!partLabel(label, count, outcome, listFileResult))
            return listFileResult;
    }

    if (outcome != Outcome::Refused && !partsSeen_.isEmpty() && numberOf(count) == partsSeen_.size()) {
        if (!Spaces::Trim(fields_.CurrentProgramName).isEmpty()) {
            complete();
            return true;
        }
        // Its part 1 never came (or was refused): a line would name no program.
        refuse(label, QStringLiteral("the program is complete but no part 1 named it"));
        partsSeen_.clear();
        s_.status.HideIndicators();
        fields_.ResetScanFields();
        fields_.RestoreChosenField(before.ChosenField());
        s_.selection.State = selection;
        return false;
    }
    switch (outcome) {
    case Outcome::Stored:
        s_.state.SetStatus(QStringLiteral(" Waiting for next barcode..."));
        s_.status.Outcome(QStringLiteral("part stored: %1 of %2 collected, waiting for the rest")
                              .arg(partsSeen_.size())
                              .arg(numberOf(count)));
        break;
    case Outcome::NotStored:
        s_.state.SetStatus(QStringLiteral("Barcode Formating Error.  ") + label);
        Log::Warning(QStringLiteral("label not understood: %1").arg(Log::Printable(label)));
        s_.status.Refusal(QStringLiteral("barcode format error: not a label, or a part already scanned"));
        break;
    case Outcome::Refused:
        fields_ = before;
        s_.selection.State = selection;
        break;
    }
    return false;
}

void LabelDispatcher::refuse(const QString& label, const QString& why)
{
    s_.state.SetStatus(QStringLiteral("Label refused: %1.").arg(why));
    Log::Warning(QStringLiteral("label %1 refused, nothing added: %2").arg(Log::Printable(label), why));
    s_.status.Refusal(why);
}

bool LabelDispatcher::command(const QString& label, bool& accepted)
{
    if (label == QLatin1String("%START%")) {
        // The operator's Start is the answer to a fault still shown: it has been seen.
        s_.state.AcknowledgeFault();
        accepted = s_.routines.StartWorkList();
    } else if (label == QLatin1String("%STOP%")) {
        accepted = s_.routines.HoldWorkList();
    } else if (label == QLatin1String("%END%")) {
        accepted = s_.routines.EndWorkList();
    } else if (label == QLatin1String("%CLEAR%")) {
        if (!partsSeen_.isEmpty()) {
            s_.status.HideIndicators();
            fields_.ResetScanFields();
            partsSeen_.clear();
            s_.status.Outcome(QStringLiteral("the parts collected so far discarded"));
            accepted = true;
        } else {
            accepted = s_.routines.ClearWorkList();
        }
    } else if (label == QLatin1String("%SETPOINT%") || label == QLatin1String("%SETP%")) {
        accepted = s_.routines.Setpoint();
    } else {
        return false;
    }
    // A command the list manager refused is not accepted; its failure stays on the status line.
    s_.status.ShowReady();
    return true;
}

bool LabelDispatcher::fieldSelection(const QString& label)
{
    if (label.size() < 3 || label.size() > 5)
        return false;
    const QString code = Spaces::Trim(label).mid(1, label.size() - 2);
    if (!s_.codes.IsFieldCode(code))
        return false;
    fields_.CurrentFieldCode = code;
    fields_.RunFieldChosen = true;
    int mode = FieldSelection::ExplicitPending;
    s_.selection.FieldChoice(mode, code, 0, 0);
    s_.status.Outcome(QStringLiteral("field chosen for the next program: %1, %2")
                          .arg(code, mode == FieldSelection::Mirrored ? QStringLiteral("mirrored") : QStringLiteral("normal")));
    return true;
}

LabelDispatcher::Outcome LabelDispatcher::plainLabel(const QString& label, QString& count)
{
    const QString defaultCode = s_.rules.DefaultFieldCode();
    if (!defaultCode.isEmpty() && !fields_.RunFieldChosen) {
        fields_.CurrentFieldCode = defaultCode;
        fields_.RunFieldChosen = true;
        int mode = FieldSelection::Explicit;
        s_.selection.FieldChoice(mode, defaultCode, 0, 0);
    }
    const AutoSelectRules::Source source = s_.rules.TriggerSource();
    if (source == AutoSelectRules::Source::ProgramName || source == AutoSelectRules::Source::Comment ||
        fields_.RunFieldChosen) {
        if (!takeProgramName(label, Spaces::Trim(label)))
            return Outcome::Refused;
        count = QStringLiteral("1");
        partsSeen_ = QStringLiteral("1");
        return Outcome::Stored;
    }
    s_.state.SetStatus(QStringLiteral("Run Field Not Selected"));
    Log::Warning(QStringLiteral("label %1 refused: no work field can be determined").arg(Log::Printable(label)));
    s_.status.Refusal(QStringLiteral("no work field can be determined for the program (Run Field Not Selected)"));
    return Outcome::Refused;
}

bool LabelDispatcher::partLabel(const QString& label, QString& count, Outcome& outcome, bool& result)
{
    const QString part = label.mid(1, 1);
    count = label.mid(2, 1);
    if (numberOf(count) == 9) {
        fields_.CurrentField164 = QStringLiteral("999");
        count = QStringLiteral("1");
    }
    // An empty part character counts as seen once any part is collected, as a text search for
    // nothing finds it at the start.
    const bool seen = part.isEmpty() ? !partsSeen_.isEmpty() : partsSeen_.contains(part);
    if (!label.startsWith(QLatin1Char('%')) || seen) {
        outcome = Outcome::NotStored;
        return true;
    }

    QString payload = label.mid(3);
    const int number = numberOf(part);
    // The program name is taken (or the label refused) before the part counts as seen.
    const qsizetype space = payload.indexOf(QLatin1Char(' '));
    if (number == 1) {
        const bool taken = space >= 0 ? takeProgramName(label, Spaces::Trim(payload.left(space)))
                                      : acceptProgramName(label, payload);
        if (!taken) {
            outcome = Outcome::Refused;
            return true;
        }
    }
    partsSeen_ += part;
    // Parts 5 to 9 have no indicator of their own; they only count toward completion.
    if (number >= 0 && number <= 4)
        s_.state.SetIndicator(number, true);

    if (number == 0) {
        partsSeen_.clear();
        s_.routines.ClearWorkList(); // whatever happens, the list file is asked for
        result = s_.lists.LoadListFile(payload);
        return false;
    }
    if (number == 1) {
        if (space >= 0) {
            float x = 0;
            float y = 0;
            float z = 0;
            s_.header.ReadProgramHeader(s_.config.GCodePath + fields_.CurrentProgramName, x, y, z, fields_.CurrentComment);
            payload = payload.mid(space + 1);
            const QString code = s_.routines.NextWord(payload);
            if (!fields_.RunFieldChosen)
                fields_.CurrentFieldCode = code;
            else if (!Spaces::Trim(code).isEmpty() && code != fields_.CurrentFieldCode)
                fields_.Doubts << QStringLiteral("the label's field %1 is ignored: field %2 was fixed before it "
                                                 "(by a field-selection label or the default field)")
                                      .arg(Log::Printable(code), Log::Printable(fields_.CurrentFieldCode));
            s_.routines.NextWord(payload); // a further word the labels carry; not used
        }
    } else if (number == 2) {
        fields_.CurrentSizeX = s_.routines.NextWord(payload);
        fields_.CurrentSizeY = s_.routines.NextWord(payload);
        fields_.CurrentSizeZ = s_.routines.NextWord(payload);
    }
    s_.routines.NextWord(QString());
    outcome = Outcome::Stored;
    return true;
}

bool LabelDispatcher::acceptProgramName(const QString& label, const QString& name)
{
    const QString why = Spaces::Trim(name).isEmpty() ? QStringLiteral("it names no program") : ListLine::ProgramNameRefusal(name);
    if (!why.isEmpty()) {
        refuse(label, why);
        return false;
    }
    fields_.CurrentProgramName = name;
    return true;
}

bool LabelDispatcher::takeProgramName(const QString& label, const QString& name)
{
    if (!acceptProgramName(label, Spaces::Trim(name).isEmpty() ? name : withExtension(name)))
        return false;
    try {
        if (!s_.csv.TransferCsv(fields_.CurrentProgramName))
            s_.status.KeepScanTroubleShown(); // the program is still added; the operator must see why the CSV was not
    } catch (const RuntimeError& e) {
        refuse(label, QStringLiteral("its CSV file cannot be looked up (error %1: %2)").arg(e.Number()).arg(e.Description()));
        return false;
    }
    return true;
}

void LabelDispatcher::complete()
{
    partsSeen_.clear();
    const ScanFields::Sizes sizes = s_.routines.CompleteSizes(fields_);
    fields_.TakeSizes(sizes);
    if (s_.state.IsTicked(StationState::Option::AClear))
        s_.routines.ClearWorkList();

    s_.routines.AddProgramLines(fields_, sizes.x, sizes.y, true);
    s_.routines.EndProgramScan(true, fields_.CurrentProgramName);
    fields_.EndProgram(true);
}
