#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary home for one test: XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_STATE_HOME and the program
// folder point into a fresh folder, and are restored afterwards.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString Root() const { return dir_.path(); }
    QString ProgramFolder() const;   // plays the executable's folder
    QString WindowsDirectory() const; // $XDG_CONFIG_HOME/tarvex
    QString DataFolder() const;       // $XDG_DATA_HOME/tarvex

    // Writes a file (bytes as Latin-1), creating its folder; returns the path.
    QString Write(const QString& path, const QByteArray& content) const;
    static QByteArray Read(const QString& path);
    // The log's records written so far, one per line, without their time stamps.
    QStringList LogLines() const;

private:
    QTemporaryDir dir_;
    QByteArray oldConfig_, oldData_, oldState_;
    bool hadConfig_, hadData_, hadState_;
};
