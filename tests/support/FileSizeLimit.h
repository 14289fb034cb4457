#pragma once

#include <sys/resource.h>

// While it lives, no file of this process can grow past the given size: writes beyond it fail
// with EFBIG, as on a full disk, and SIGXFSZ is ignored so they fail instead of killing the test.
// Works as root too, unlike read-only folders. The old limit and signal action come back at the end.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};
