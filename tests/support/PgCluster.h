#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A throw-away PostgreSQL server for one test: a cluster made by initdb in a temporary folder,
// with a superuser and a password, listening on 127.0.0.1 and a free port only (no socket file).
// As root it runs as the postgres user, which initdb demands. The destructor stops it and
// removes everything, also when the test failed.
class PgCluster {
public:
    // True when PostgreSQL's programs and Qt's driver for it are installed (and, as root, the
    // postgres user and runuser to be it).
    static bool Installed();

    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // Empty when the server runs; else what went wrong, with the server's log.
    QString Problem() const { return problem_; }

    int Port() const { return port_; }
    QString User() const { return QStringLiteral("tarvex"); }
    QString Password() const { return QStringLiteral("throw-away-secret"); }
    QString Database() const { return QStringLiteral("postgres"); }
    QString Url() const;

    // The server stopped (its clients cut off) and started again on the same port and data.
    bool Stop();
    bool Start();

private:
    bool Run(const QStringList& command, QString& output) const;
    void Fail(const QString& what, const QString& output);

    QTemporaryDir dir_;
    QString bin_;
    int port_ = 0;
    bool running_ = false;
    QString problem_;
};
