#pragma once

#include <QString>
#include <QStringList>

// Starting outside programs that live on after Tarvex ends, and asking whether they still run.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;

    // Starts the program (a native path) with the arguments. The process id, or 0 when it could
    // not be started; error then says why.
    virtual qint64 Start(const QString& program, const QStringList& arguments, QString& error) = 0;
    // Whether the process of that id is still running; false for 0.
    virtual bool IsRunning(qint64 id) const = 0;
};
