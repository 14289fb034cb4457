#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary data folder for the whole run: drive C: maps below it, so work files and program
// files land there and vanish at the end.
class BenchEnvironment {
public:
    static BenchEnvironment& Instance();

    QString DriveC() const; // native root of drive C:

private:
    BenchEnvironment();
    QTemporaryDir dir_;
};
