// Clocks, process identity, the kernel's random source and memory wiping.
#include <errno.h>
#include <string.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include "platform/Shell.h"

namespace platform {

namespace {

uint64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

}  // namespace

// The counter ticks in nanoseconds, so the frequency is fixed.
uint64_t PerformanceFrequency() { return 1000000000u; }

uint64_t PerformanceCounter() { return MonotonicNanoseconds(); }

uint32_t CurrentThreadId() { return static_cast<uint32_t>(gettid()); }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

// Milliseconds since an arbitrary start, wrapping at 2^32 like a system tick count.
uint32_t TickCount() { return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000u); }

bool OsRandom(void* buffer, size_t size) {
    auto* out = static_cast<unsigned char*>(buffer);
    // getrandom may return fewer bytes than asked for large requests or when a signal
    // arrives; keep asking until the whole buffer is filled.
    while (size > 0) {
        ssize_t n = getrandom(out, size, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void SecureZero(void* buffer, size_t size) {
    if (buffer && size) explicit_bzero(buffer, size);
}

}  // namespace platform
