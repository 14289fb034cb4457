#pragma once

#include <QString>
#include <QStringList>

class Configuration;

// Section [LinuxCNC] of ZEM.INI: where linuxcncrsh listens, its two passwords, the program
// folder as LinuxCNC sees it and the set-point step.
class LinuxCncSettings {
public:
    static inline const QString Section = QStringLiteral("LinuxCNC");

    // Missing or unusable values take the defaults below (the log names an unusable one). An
    // empty ProgramFolder is GCodePath as Tarvex maps it, made absolute.
    static LinuxCncSettings Read(const Configuration& config);

    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 5007;
    QString connectPassword = QStringLiteral("EMC");
    QString enablePassword = QStringLiteral("EMCTOO");
    QString programFolder;     // without a trailing "/"
    bool programFolderIsOwn = false; // GCodePath: names are found in any letter case, as Tarvex finds them
    QStringList setpoint;      // MDI commands ("Setpoint=" separated by ";"); none: home all joints

    QString Endpoint() const { return host + QLatin1Char(':') + QString::number(port); }
};
