#pragma once

#include <QString>

class FieldCodeTable;
class ListManagerLink;
class MainView;
class ScanFields;

// The line of numbered fields that puts one program on the machine's work list, and sending it.
class ListLine {
public:
    ListLine(const FieldCodeTable& table, ListManagerLink& link, MainView& view);

    // "#161=name;#164=..;#171=position;#284=mirror;#280=;#165=..;#168=x;#169=y;#170=z;#282=;#283=;"
    // Values go unchanged; a size whose number is 0 is emptied in the scan fields themselves.
    QString ComposeListLine(ScanFields& fields) const;

    // Composes the line and adds it. When AddLine fails, the fallback work list is made visible
    // (and cleared, unless it is the work list itself) and the same line is sent once more; when that fails too, the status line says
    // so, the log keeps the line, and false comes back. Without a work list (NOAPP) nothing is
    // sent and the log keeps the line.
    bool AddLineToList(ScanFields& fields);

private:
    const FieldCodeTable& table_;
    ListManagerLink& link_;
    MainView& view_;
};
