#pragma once

#include <QString>

// The file system's "find first file": is there a normal file matching the native path, which
// may carry the wildcards * and ? in its last component? Folders and hidden files do not count.
// Failures of the file system come as RuntimeError with the platform's numbers.
class FileFinder {
public:
    virtual ~FileFinder() = default;
    virtual bool FindFirst(const QString& nativePattern) = 0;
};
