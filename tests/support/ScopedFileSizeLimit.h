// Makes every file this process writes stop growing at a given size, as a full disk
// would: writes past it fail instead of raising a signal. The old limit comes back when
// the object dies. Windows has no such limit: there Available() is false and the
// object does nothing.
#pragma once

#include <cstdint>

class ScopedFileSizeLimit {
public:
    static bool Available();
    explicit ScopedFileSizeLimit(uint64_t bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    uint64_t oldSoft_ = 0;
    uint64_t oldHard_ = 0;
    void (*oldHandler_)(int) = nullptr;
};
