#include "listmgr/LinuxCncSettings.h"

#include "config/Configuration.h"
#include "platform/Log.h"
#include "platform/Paths.h"

#include <QDir>

LinuxCncSettings LinuxCncSettings::Read(const Configuration& config)
{
    LinuxCncSettings s;
    // Whole: a cut Setpoint command would still be sent to the machine.
    const auto text = [&config](const char* key) { return config.ReadIniText(Section, QLatin1String(key)).trimmed(); };

    const QString host = text("Host");
    if (!host.isEmpty())
        s.host = host;
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
    const QString connectPassword = text("ConnectPassword");
    if (!connectPassword.isEmpty())
        s.connectPassword = connectPassword;
    const QString enablePassword = text("EnablePassword");
    if (!enablePassword.isEmpty())
        s.enablePassword = enablePassword;

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
