#include "app/StationSetup.h"

#include "config/Configuration.h"
#include "listmgr/LinuxCncSettings.h"

namespace {
const QString ports = QStringLiteral("Ports");
const QString drives = QStringLiteral("Drives");
const QString listManager = QStringLiteral("ListManager");
} // namespace

StationSetup StationSetup::Read(const Configuration& config)
{
    StationSetup s;
    const auto main = [&config](const char* key) { return config.ReadIniText(Configuration::Section, QLatin1String(key)); };
    const auto linuxCnc = [&config](const char* key) { return config.ReadIniText(LinuxCncSettings::Section, QLatin1String(key)); };
    bool ok = false;
    const int port = main("CommPort").trimmed().toInt(&ok);
    s.commPort = ok && port >= 1 && port <= 4 ? port : 1;
    s.device = config.ReadIniText(ports, QStringLiteral("COM%1").arg(s.commPort));
    s.serialSettings = main("Settings");
    s.scanSuffix = main("ScanSuffix");
    s.gcodePath = main("GCodePath");
    s.listPath = main("ListPath");
    s.csvInPath = main("CSVInPath");
    s.csvOutPath = main("CSVOutPath");
    s.driveC = config.ReadIniText(drives, QStringLiteral("C"));
    s.server = config.ReadIniText(listManager, QStringLiteral("Server"));
    s.host = linuxCnc("Host");
    s.port = linuxCnc("Port");
    s.connectPassword = linuxCnc("ConnectPassword");
    s.enablePassword = linuxCnc("EnablePassword");
    s.programFolder = linuxCnc("ProgramFolder");
    return s;
}

QList<StationSetup::Entry> StationSetup::Entries() const
{
    const QString main = Configuration::Section;
    const QString linuxCnc = LinuxCncSettings::Section;
    return {
        {main, QStringLiteral("CommPort"), QString::number(commPort)},
        {ports, QStringLiteral("COM%1").arg(commPort), device},
        {main, QStringLiteral("Settings"), serialSettings},
        {main, QStringLiteral("ScanSuffix"), scanSuffix},
        {main, QStringLiteral("GCodePath"), gcodePath},
        {main, QStringLiteral("ListPath"), listPath},
        {main, QStringLiteral("CSVInPath"), csvInPath},
        {main, QStringLiteral("CSVOutPath"), csvOutPath},
        {drives, QStringLiteral("C"), driveC},
        {listManager, QStringLiteral("Server"), server},
        {linuxCnc, QStringLiteral("Host"), host},
        {linuxCnc, QStringLiteral("Port"), port},
        {linuxCnc, QStringLiteral("ConnectPassword"), connectPassword},
        {linuxCnc, QStringLiteral("EnablePassword"), enablePassword},
        {linuxCnc, QStringLiteral("ProgramFolder"), programFolder},
    };
}

QList<StationSetup::Entry> StationSetup::ChangesFrom(const StationSetup& before) const
{
    const QList<Entry> now = Entries();
    const QList<Entry> then = before.Entries();
    QList<Entry> changed;
    for (qsizetype i = 0; i < now.size(); ++i) {
        // A port chosen anew has no device of its own yet: its [Ports] key is new.
        const bool sameKey = now[i].section == then[i].section && now[i].key == then[i].key;
        if (sameKey ? now[i].value != then[i].value : !now[i].value.isEmpty())
            changed << now[i];
    }
    return changed;
}
