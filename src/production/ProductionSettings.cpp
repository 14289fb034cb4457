#include "production/ProductionSettings.h"

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool hasControlCharacters(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

ProductionSettings::ProductionSettings(const QString& database, const QString& station, const QString& passwordFile)
{
    station_ = station.trimmed();
    if (hasControlCharacters(station_)) {
        AddProblem(QStringLiteral("[Production] Station= holds control characters; the host name is used"));
        station_.clear();
    }
    if (station_.isEmpty())
        station_ = QSysInfo::machineHostName();

    ReadDatabase(database.trimmed());
    if (UsesServer())
        ReadPassword(passwordFile.trimmed().isEmpty() ? DefaultPasswordFile() : Paths::ToNative(passwordFile.trimmed()));
}

QString ProductionSettings::DefaultPasswordFile()
{
    return Paths::WindowsDirectory() + QStringLiteral("/production.password");
}

QString ProductionSettings::DefaultLocalPath()
{
    return Paths::DataFolder() + QStringLiteral("/production.sqlite");
}

QString ProductionSettings::ServerName() const
{
    return QStringLiteral("%1@%2:%3/%4").arg(user_, host_).arg(port_).arg(database_);
}

void ProductionSettings::AddProblem(const QString& text)
{
    problem_ = problem_.isEmpty() ? text : problem_ + QStringLiteral("; ") + text;
}

void ProductionSettings::ReadDatabase(const QString& text)
{
    if (text.isEmpty())
        return;
    const auto refuse = [this](const QString& why) {
        AddProblem(QStringLiteral("[Production] Database= %1; the production record is kept on this station only").arg(why));
    };
    if (hasControlCharacters(text)) {
        refuse(QStringLiteral("holds control characters"));
        return;
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))) {
        refuse(QStringLiteral("is not of the form postgresql://USER@HOST[:PORT]/DATABASE"));
        return;
    }
    // The password belongs in the password file, readable by the user alone, never in ZEM.INI.
    const QString authority = text.section(QLatin1String("://"), 1).section(QLatin1Char('/'), 0, 0);
    if (authority.contains(QLatin1Char('@')) && authority.section(QLatin1Char('@'), 0, -2).contains(QLatin1Char(':'))) {
        refuse(QStringLiteral("holds a password; it is read from the password file only"));
        return;
    }
    const QString path = url.path();
    const QString database = path.mid(1);
    if (url.userName().isEmpty() || url.host().isEmpty() || !path.startsWith(QLatin1Char('/')) || database.isEmpty()
            || database.contains(QLatin1Char('/')) || url.hasQuery() || url.hasFragment()) {
        refuse(QStringLiteral("is not of the form postgresql://USER@HOST[:PORT]/DATABASE"));
        return;
    }
    // Decoded, "%01" is a control character too.
    if (hasControlCharacters(url.userName()) || hasControlCharacters(url.host()) || hasControlCharacters(database)) {
        refuse(QStringLiteral("holds control characters"));
        return;
    }
    const int port = url.port(DefaultPort);
    if (port < 1 || port > 65535) {
        refuse(QStringLiteral("names no valid port"));
        return;
    }
    user_ = url.userName();
    host_ = url.host();
    port_ = port;
    database_ = database;
}

void ProductionSettings::ReadPassword(const QString& path)
{
    const auto refuse = [this, &path](const QString& why) {
        AddProblem(QStringLiteral("password file %1 %2; connecting without a password").arg(path, why));
    };
    if (!QFile::exists(path) && !QFileInfo(path).isSymLink())
        return; // a server that asks for no password needs no file
    // Opened without blocking and without following a link: a pipe, a device or a folder in its
    // place is refused at once.
    int fd = -1;
    try {
        fd = Files::OpenForReading(path, Files::Links::Refuse);
    } catch (const RuntimeError& e) {
        refuse(QStringLiteral("cannot be read (%1)").arg(e.Description()));
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        refuse(QStringLiteral("cannot be examined"));
        return;
    }
    if (st.st_uid != ::geteuid() || (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        ::close(fd);
        refuse(QStringLiteral("must belong to the user and be readable by the user only (chmod 600 %1)").arg(path));
        return;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        refuse(QStringLiteral("cannot be read"));
        return;
    }
    const QByteArray data = file.read(MaxPasswordBytes + 1);
    if (data.size() > MaxPasswordBytes) {
        refuse(QStringLiteral("is larger than %1 bytes").arg(MaxPasswordBytes));
        return;
    }
    QByteArray line = data.left(data.indexOf('\n') < 0 ? data.size() : data.indexOf('\n'));
    if (line.endsWith('\r'))
        line.chop(1);
    password_ = QString::fromUtf8(line);
}
