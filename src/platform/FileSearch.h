#pragma once

#include <QString>

// The file system's "find first file": is there a normal file matching the native path, which
// may carry the wildcards * and ? in its last component? Folders and hidden files do not count.
// Failures of the file system come as RuntimeError with the platform's numbers.
class FileSearch {
public:
    static bool FindFirst(const QString& nativePattern);

    // The path itself when something is there; else, as on a Windows station, the one file in
    // its folder whose name matches without regard to letter case (logged); else the path as
    // given. Names come from other stations typed or copied in any case.
    static QString ResolveCase(const QString& nativePath);
};
