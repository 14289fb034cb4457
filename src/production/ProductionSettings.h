#pragma once

#include <QString>

// Where the production record is kept, from the [Production] section of ZEM.INI: the station's
// name, the local SQLite file, and the PostgreSQL server the shop's stations share, if any.
// Everything is checked here, where it enters; what cannot be used is said by Problem(), and
// recording then goes on in the local database alone.
class ProductionSettings {
public:
    static constexpr int DefaultPort = 5432;
    static constexpr qint64 MaxPasswordBytes = 4096;

    // The three texts as ZEM.INI holds them (empty when missing).
    ProductionSettings(const QString& database, const QString& station, const QString& passwordFile);

    QString Station() const { return station_; }

    // True when a PostgreSQL server is named (and its address could be read).
    bool UsesServer() const { return !host_.isEmpty(); }
    QString Host() const { return host_; }
    int Port() const { return port_; }
    QString DatabaseName() const { return database_; }
    QString User() const { return user_; }
    QString Password() const { return password_; }
    // "USER@HOST:PORT/DATABASE", for messages; never the password.
    QString ServerName() const;

    // Why a setting is not used as given; empty when all is well.
    QString Problem() const { return problem_; }

    static QString DefaultPasswordFile();
    static QString DefaultLocalPath();

private:
    void ReadDatabase(const QString& text);
    void ReadPassword(const QString& path);
    void AddProblem(const QString& text);

    QString station_;
    QString host_;
    int port_ = DefaultPort;
    QString database_;
    QString user_;
    QString password_;
    QString problem_;
};
