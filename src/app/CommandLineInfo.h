#pragma once

#include <QString>
#include <QStringList>

// The arguments that only ask for a text: --help (or -h) and --version. They are whole
// arguments in any letter case, unlike the switches, which are looked for inside the joined
// command line; none of them contains a switch's letters, so the two kinds never meet.
class CommandLineInfo {
public:
    // True when an argument after the program's name asks for a text.
    static bool Asked(int argc, const char* const argv[]);

    // The text asked for (--help wins over --version), ending in a line feed; empty when none
    // is asked for. Needs an application object only for the program's folder.
    static QString Text(const QStringList& arguments);

private:
    static QString VersionText();
    static QString HelpText();
};
