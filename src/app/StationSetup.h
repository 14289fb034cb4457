#pragma once

#include <QList>
#include <QString>

class Configuration;

// What the setup window edits, as ZEM.INI holds it: the scanner (port, device, line settings,
// the character it ends each code with), the folders and the drive C: stands for, and the list
// manager. Read from the file as it is; saved key by key, only the keys whose value changed, so
// that a file edited by hand keeps everything else.
class StationSetup {
public:
    struct Entry {
        QString section;
        QString key;
        QString value;
    };

    // The values in the file; a missing key reads as empty text (the station's default).
    static StationSetup Read(const Configuration& config);
    // Every key this setup holds, with its value; the device only for a port that has one.
    QList<Entry> Entries() const;
    // The entries whose value differs from before's.
    QList<Entry> ChangesFrom(const StationSetup& before) const;

    // The scanner: port 1 to 4, its device ([Ports] COMn), "9600,N,8,1", and ScanSuffix.
    int commPort = 1;
    QString device;
    QString serialSettings;
    QString scanSuffix;
    // The folders (Windows form or a Linux path, as the file has them) and [Drives] C.
    QString gcodePath;
    QString listPath;
    QString csvInPath;
    QString csvOutPath;
    QString driveC;
    // [ListManager] Server (Embedded, None, LinuxCNC) and section [LinuxCNC].
    QString server;
    QString host;
    QString port;
    QString connectPassword;
    QString enablePassword;
    QString programFolder;
};
