#pragma once

#include <QHash>
#include <QString>

// Turns the Windows path texts that Tarvex keeps inside ("C:\KARN\PRODUCT\P1.CNC") into native
// paths, and knows the folders the program uses. Every file access goes through ToNative.
class Paths {
public:
    // "\" becomes "/"; a leading drive "X:" becomes the drive's root folder: the one given for
    // the letter, else $XDG_DATA_HOME/tarvex/drive_x. Anything else is used as it is.
    static QString ToNative(const QString& path);

    // The root folder a drive letter maps to (no trailing "/").
    static QString DriveRoot(QChar letter);

    // The drives' root folders (section [Drives] of the configuration file), by upper-case
    // letter, given once the configuration is read; they replace those given before.
    static void SetDriveRoots(const QHash<QChar, QString>& roots);

    // The folder of the executable (overridable for tests).
    static QString ProgramFolder();
    static void SetProgramFolder(const QString& folder);

    // $XDG_CONFIG_HOME/tarvex: where the configuration file is looked for after the program folder.
    static QString WindowsDirectory();

    // $XDG_DATA_HOME/tarvex: log, journal, work list and the default drive roots.
    static QString DataFolder();

    // $XDG_STATE_HOME/tarvex: what the user's desktop keeps between runs (the window's place).
    static QString StateFolder();

    // True when the path text names a file below the folder: no drive, not absolute and no ".."
    // component. File names that come from scans must pass this before they are used.
    static bool IsSafeRelativeName(const QString& name);
};
