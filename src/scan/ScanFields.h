#pragma once

#include "listmgr/ListLine.h"

#include <QString>
#include <QStringList>

// The program being assembled from one or more scans: the texts that become one list line,
// plus what the setup dialog shows of the last program added. Empty at start. The label
// dispatcher and the program-barcode handler own it; what they call gets its values and hands
// back results, which they take in.
class ScanFields {
public:
    // The piece's sizes as the list line carries them and as numbers, after the missing ones
    // were looked for in the program file.
    struct Sizes {
        QString textX, textY, textZ;
        float x = 0, y = 0, z = 0;
        bool commentRead = false; // the program file was read: its comment replaces the one held
        QString comment;
    };

    // The work field fixed for the coming program, as a refused scan must leave it.
    struct FieldChoice {
        QString code;
        bool chosen = false;
    };

    // Back to the values between two programs (no doubts). Field 280 and 283, the comment and
    // whether a field was chosen are left as they are.
    void ResetScanFields();
    // The end of a program's scan: one that went to the work list becomes the last one and its
    // field is free again; then the fields are reset.
    void EndProgram(bool added);
    void TakeSizes(const Sizes& sizes);
    // The values of the program's line, on the given field code.
    ListLine::Values LineValues(const QString& fieldCode) const;

    FieldChoice ChosenField() const { return {CurrentFieldCode, RunFieldChosen}; }
    void RestoreChosenField(const FieldChoice& choice);

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

    // Why the program's line may not run as meant, noticed while it was assembled (a field it
    // named that was ignored); told with the line when it is added.
    QStringList Doubts;

    bool RunFieldChosen = false;
    QString LastProgramName;
    QString LastComment;
};
