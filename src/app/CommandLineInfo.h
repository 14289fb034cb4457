#pragma once

#include <QString>
#include <QStringList>

// The whole arguments, in any letter case: --help (or -h) and --version, which only ask for a
// text, and --no-window. Unlike the switches, which are looked for inside the joined command
// line, they must be whole; none of them contains a switch's letters, so the two kinds never meet.
class CommandLineInfo {
public:
    // True when an argument after the program's name asks for a text.
    static bool Asked(int argc, const char* const argv[]);

    // The text asked for (--help wins over --version), ending in a line feed; empty when none
    // is asked for. Needs an application object only for the program's folder.
    static QString Text(const QStringList& arguments);

    // --no-window: the station runs with no window at all and no operator.
    static bool NoWindow(const QStringList& arguments);

private:
    static QString VersionText();
    static QString HelpText();
};
