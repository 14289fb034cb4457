#include "listmgr/LinuxCncSettings.h"

#include "config/Configuration.h"
#include "platform/Log.h"
#include "platform/Paths.h"

#include <QDir>

LinuxCncSettings LinuxCncSettings::Read(const Configuration& config)
{
    LinuxCncSettings s;
    const auto text = [&config](const char* key) { return config.ReadIniValue(Section, QLatin1String(key)).trimmed(); };

    if (!text("Host").isEmpty())
        s.host = text("Host");
    const QString port = text("Port");
    if (!port.isEmpty()) {
        bool ok = false;
        const int number = port.toInt(&ok);
        if (ok && number > 0 && number <= 65535)
            s.port = static_cast<quint16>(number);
        else
            Log::Warning(QStringLiteral("[LinuxCNC] Port=%1 is not a port number; using %2").arg(port).arg(s.port));
    }
    // linuxcncrsh takes no empty password: an empty key means its default.
    if (!text("ConnectPassword").isEmpty())
        s.connectPassword = text("ConnectPassword");
    if (!text("EnablePassword").isEmpty())
        s.enablePassword = text("EnablePassword");

    s.programFolder = text("ProgramFolder");
    if (s.programFolder.isEmpty()) {
        s.programFolder = QDir(Paths::ToNative(config.GCodePath)).absolutePath();
        s.programFolderIsOwn = true;
    }
    s.programFolder = QDir::cleanPath(s.programFolder);

    // A G-code line has no use for ";" (it starts a comment), so it separates the commands.
    for (const QString& command : text("Setpoint").split(QLatin1Char(';'))) {
        if (!command.trimmed().isEmpty())
            s.setpoint << command.trimmed();
    }
    return s;
}
