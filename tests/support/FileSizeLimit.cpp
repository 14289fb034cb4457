#include "support/FileSizeLimit.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        std::perror("setrlimit(RLIMIT_FSIZE)");
        std::abort();
    }
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}
