#pragma once

#include <QString>

// The program's version, as the build defines it.
class Version {
public:
    // "major.minor.patch"
    static QString Text();
};
