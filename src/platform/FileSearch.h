#pragma once

#include "platform/FileFinder.h"

#include <QString>

// The file system's search for files, as Windows stations know it.
class FileSearch : public FileFinder {
public:
    bool FindFirst(const QString& nativePattern) override;

    // The path itself when something is there; else, as on a Windows station, the one file in
    // its folder whose name matches without regard to letter case (logged); else the path as
    // given. Names come from other stations typed or copied in any case.
    static QString ResolveCase(const QString& nativePath);
};
