#pragma once

#include <QString>

// The program being assembled from one or more scans: the texts that become one list line,
// plus what the setup dialog shows of the last program added. Empty at start.
class ScanFields {
public:
    // Back to the values between two programs. Field 280 and 283, the comment and whether a
    // field was chosen are left as they are.
    void ResetScanFields();

    QString CurrentProgramName;
    QString CurrentField164;
    QString CurrentFieldCode;
    QString CurrentField280;
    QString CurrentField165;
    QString CurrentSizeX;
    QString CurrentSizeY;
    QString CurrentSizeZ;
    QString CurrentComment;
    QString CurrentField282;
    QString CurrentField283;

    bool RunFieldChosen = false;
    QString LastProgramName;
    QString LastComment;
};
