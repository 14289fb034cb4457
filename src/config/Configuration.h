#pragma once

#include "config/ScanSuffix.h"

#include <QHash>
#include <QString>

class FileFinder;
class StationState;
class MessageBoxes;
class ProcessExit;

// The configuration file ZEM.INI and the settings the station loads from it at start-up.
// The file is never cached: every later read and write goes to the file at IniFilePath.
class Configuration {
public:
    static inline const QString Section = QStringLiteral("GESTBCOD");
    static inline const QString FileName = QStringLiteral("ZEM.INI");
    // The commented sample to start from (native path): share/doc/tarvex/ZEM.INI.sample beside
    // the executable's folder, where the package installs it (/usr/bin/tarvex,
    // /usr/share/doc/tarvex) and where the build puts a copy (build/src/tarvex, build/share/doc/tarvex).
    static QString SampleFile();

    // files: the file system search behind FileExists; exit: how the program ends after an
    // unexpected file-system error at start-up. The first form uses the real ones.
    explicit Configuration(MessageBoxes& boxes);
    Configuration(MessageBoxes& boxes, FileFinder& files, ProcessExit& exit);

    // Finds the file (program folder, then the Windows directory) and reads every main key into
    // the settings below and the options into the station's state. False when no file was found.
    bool LoadSettings(StationState& state);
    // The four folder keys (GCodePath, ListPath, CSVInPath, CSVOutPath) read again, as
    // LoadSettings reads them: after they were changed in the setup window.
    void ReadFolders();

    // What FileExists does with an error it has no answer for: end the program (the start-up
    // looking for the configuration), or throw it to the caller (a lookup of a name from a scan,
    // which must never end the program).
    enum class Unexpected { EndProgram, Throw };

    // True when a normal file matches the path (wildcards allowed). Asks the operator to retry
    // on a disk that is not ready or not formatted.
    bool FileExists(const QString& path, Unexpected unexpected = Unexpected::EndProgram);

    // The key's value from the file (at most 79 characters), or empty text when the key is
    // missing, empty or literally "END.-".
    QString ReadIniValue(const QString& section, const QString& key) const;
    // The same, whole: for texts that must not be cut, such as commands sent to a machine.
    QString ReadIniText(const QString& section, const QString& key) const;

    // Writes one key, creating the file and its folder when missing. A failure is logged and
    // returns false, so that the caller can tell the operator.
    bool WriteIniValue(const QString& section, const QString& key, const QString& value);
    // Writes a free text that must read back exactly: one with blanks at either end, or wrapped
    // in a pair of quotes, is written inside double quotes, which every reader strips.
    bool WriteIniText(const QString& section, const QString& key, const QString& text);
    // The native path of IniFilePath.
    QString NativeIniFilePath() const;
    // Section [Drives]: the folder each drive letter (upper case) stands for.
    QHash<QChar, QString> DriveRoots() const;

    QString IniFilePath;
    QString WindowsDirectory;
    QString SerialSettings;
    QString GCodePath;
    QString ListPath;
    int CommPort = 0;
    int TimerInterval = 1000; // Timer1's tick: CommPollTime when above 99
    QString CSVInPath;
    QString CSVOutPath;
    ScanSuffix Suffix; // what ends each code the scanner sends; none: silence alone

private:
    // bufferSize 0: uncut.
    QString readValue(const QString& section, const QString& key, int bufferSize) const;
    QString readText(const QString& key, const QString& defaultValue) const;
    int readChoice(const QString& key, int defaultValue, qint64 low, qint64 high) const;

    MessageBoxes& boxes_;
    FileFinder& files_;
    ProcessExit& exit_;
};
