#pragma once

#include "listmgr/ListFields.h"

#include <QString>
#include <QStringList>

class FieldCodeTable;
class ListManagerLink;
class StationState;

// The line of numbered fields that puts one program on the machine's work list, and sending it.
class ListLine {
public:
    // What a scan gives for one line, in field order; ComposeListLine makes the line's fields of it.
    struct Values {
        QString programName; // #161
        QString field164;
        QString fieldCode;   // gives the position (#171) and the mirror flag (#284)
        QString field280;
        QString field165;
        QString sizeX;       // #168 to #170
        QString sizeY;
        QString sizeZ;
        QString field282;
        QString field283;
    };

    ListLine(const FieldCodeTable& table, ListManagerLink& link, StationState& state);

    // Why a program name from a scan or a list cannot be used, or empty text when it can: it must
    // name a file below the program folder, and hold no control character and nothing that would
    // add fields to the list line. A blank name passes: it names no file.
    static QString ProgramNameRefusal(const QString& name);
    // The part of that check every file name from a scan passes (kind: "program", "list"): it
    // must name a file below its folder. A blank name passes.
    static QString FolderRefusal(const QString& name, const QString& kind);
    // True when the text holds a carriage return or a line feed: a list line holding one would
    // not read back from the saved work list as the same line.
    static bool HoldsLineEnd(const QString& text);
    // True when the text holds a control character (codes 0 to 31 and 127, line ends among
    // them; TAB, a blank between words everywhere, is not one here): a list line holding one is
    // refused wherever it enters the work list.
    static bool HoldsControlCharacter(const QString& text);

    // The fields 161, 164, 171 (position), 284 (mirror), 280, 165, 168 to 170 (sizes), 282, 283 in
    // that order, as text "#161=name;#164=..;#171=position;#284=mirror;#280=;#165=..;#168=x;…;#283=;".
    // Values go unchanged, but a size whose number is 0 goes out empty.
    ListFields ComposeListLine(const Values& values) const;
    // Why the line will not run as meant, in the operator's words: a field code that is none of
    // the table's (position 37), sizes that go out empty. Empty when it will.
    QStringList Doubts(const Values& values) const;
    // The line in the operator's words: "P1.CNC, field A1 (position 10), mirrored".
    QString Describe(const Values& values) const;

    // Composes the line and adds it. When AddLine fails, the fallback work list is made visible
    // (and cleared, unless it is the work list itself) and the same line is sent once more; when
    // that fails too, the status line says so, the log keeps the line, and false comes back.
    // Without a work list (NOAPP) nothing is sent and the log keeps the line.
    bool AddLineToList(const Values& values);

private:
    const FieldCodeTable& table_;
    ListManagerLink& link_;
    StationState& state_;
};
