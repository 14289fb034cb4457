#pragma once

#include <QString>
#include <QStringList>

// Program-wide state set at start-up: the upper-cased command line that switches are searched
// in, and whether the next scan is the first one (which clears the work list).
class RunState {
public:
    // The arguments after the program's name, joined by single spaces and upper-cased.
    static QString CommandLineOf(const QStringList& arguments);

    // True when the switch occurs anywhere in the command line, in any letter case.
    bool HasSwitch(const QString& name) const { return CommandLine.contains(name.toUpper()); }

    QString CommandLine;
    bool FirstScanPending = false;
};
