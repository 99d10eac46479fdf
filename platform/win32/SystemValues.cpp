// Clocks, process identity, the system's random source and memory wiping.
#include "platform/win32/Win32.h"
// After <windows.h>, whose types it uses.
#include <bcrypt.h>

#include "platform/Shell.h"

namespace platform {

uint64_t PerformanceFrequency() {
    LARGE_INTEGER frequency;
    return ::QueryPerformanceFrequency(&frequency) ? static_cast<uint64_t>(frequency.QuadPart) : 1;
}

uint64_t PerformanceCounter() {
    LARGE_INTEGER counter;
    return ::QueryPerformanceCounter(&counter) ? static_cast<uint64_t>(counter.QuadPart) : 0;
}

uint32_t CurrentThreadId() { return ::GetCurrentThreadId(); }

uint32_t CurrentProcessId() { return ::GetCurrentProcessId(); }

uint32_t TickCount() { return ::GetTickCount(); }

bool OsRandom(void* buffer, size_t size) {
    auto* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ULONG piece = static_cast<ULONG>(size < 0x10000000u ? size : 0x10000000u);
        if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, out, piece, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
        out += piece;
        size -= piece;
    }
    return true;
}

// A crash must not leave the process's memory on disk: no error reporting dialog or
// dump. Windows has no switch that keeps debuggers of the same user away.
bool DisableCoreDumps() {
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return true;
}

void SecureZero(void* buffer, size_t size) {
    if (buffer && size) ::SecureZeroMemory(buffer, size);
}

}  // namespace platform
