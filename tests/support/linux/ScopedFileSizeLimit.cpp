#include "support/ScopedFileSizeLimit.h"

#include <sys/resource.h>

#include <csignal>

bool ScopedFileSizeLimit::Available() { return true; }

ScopedFileSizeLimit::ScopedFileSizeLimit(uint64_t bytes) {
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    oldSoft_ = old.rlim_cur;
    oldHard_ = old.rlim_max;
    // Past the limit a write fails with EFBIG instead of raising SIGXFSZ.
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
    struct rlimit old {};
    old.rlim_cur = oldSoft_;
    old.rlim_max = oldHard_;
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler_);
}
