#include "config/ScanFields.h"

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
}
