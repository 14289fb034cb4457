#pragma once

#include <QString>

class Configuration;
class ListManagerLink;
class MessageBoxes;
class StatusLine;

// `LoadListFile`: asks the list manager to open a whole list file in place of the work list.
class ListFileLoader {
public:
    ListFileLoader(Configuration& config, ListManagerLink& link, MessageBoxes& boxes, StatusLine& status);

    // ListPath, then the name as given, then ".LST": no separator is put in between. Always
    // false, the answer the dispatcher passes on. A missing file gets a message box; any
    // failure leaves "Ready." on the status line; the five indicators go off either way. A name
    // reaching outside ListPath is refused without opening anything, and a file that is there
    // but cannot be taken (past its bounds, a control character in a line) says why; both stay
    // on the status line.
    bool LoadListFile(const QString& name);

    QString ListFilePath(const QString& name) const;

private:
    Configuration& config_;
    ListManagerLink& link_;
    MessageBoxes& boxes_;
    StatusLine& status_;
};
