#include "scan/ScanFields.h"

#include "config/Spaces.h"

void ScanFields::ResetScanFields()
{
    const QString blank = QStringLiteral(" ");
    CurrentProgramName = blank;
    CurrentSizeX = blank;
    CurrentSizeY = blank;
    CurrentSizeZ = blank;
    CurrentField282 = blank;
    CurrentField164 = QStringLiteral("1");
    CurrentField165 = QStringLiteral("1");
    CurrentFieldCode = blank;
    Doubts.clear();
}

void ScanFields::EndProgram(bool added)
{
    if (added) {
        LastProgramName = Spaces::Trim(CurrentProgramName);
        LastComment = Spaces::Trim(CurrentComment);
        RunFieldChosen = false;
    }
    ResetScanFields();
}

void ScanFields::TakeSizes(const Sizes& sizes)
{
    CurrentSizeX = sizes.textX;
    CurrentSizeY = sizes.textY;
    CurrentSizeZ = sizes.textZ;
    if (sizes.commentRead)
        CurrentComment = sizes.comment;
}

ListLine::Values ScanFields::LineValues(const QString& fieldCode) const
{
    return {CurrentProgramName, CurrentField164, fieldCode, CurrentField280, CurrentField165, CurrentSizeX,
            CurrentSizeY, CurrentSizeZ, CurrentField282, CurrentField283};
}

void ScanFields::RestoreChosenField(const FieldChoice& choice)
{
    CurrentFieldCode = choice.code;
    RunFieldChosen = choice.chosen;
}
