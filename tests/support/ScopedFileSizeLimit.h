// Makes every file this process writes stop growing at a given size, as a full disk
// would: writes past it fail (EFBIG) instead of raising SIGXFSZ. The old limit comes
// back when the object dies.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstdint>

class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(uint64_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    struct rlimit old_ {};
    void (*oldHandler_)(int) = nullptr;
};
