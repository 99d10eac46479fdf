// Passwords from a descriptor of the C runtime, or typed at the console with echo off.
#include "platform/SecretInput.h"

#include <io.h>

#include "platform/common/SecretLine.h"
#include "platform/win32/Win32.h"

namespace platform {

SecretReadStatus ReadSecretLine(int fd, size_t maxLength, std::string& secret) {
    return ReadSecretBytes(maxLength, secret, [fd](char& byte) {
        const int got = ::_read(fd, &byte, 1);
        return got == 1 ? ByteStep::Byte : got == 0 ? ByteStep::End : ByteStep::Failed;
    });
}

SecretReadStatus ReadSecretFromTerminal(const std::string& prompt, size_t maxLength, std::string& secret) {
    WipeSecret(secret);
    HANDLE input = ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    HANDLE output = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    DWORD mode = 0;
    SecretReadStatus status = SecretReadStatus::NoTerminal;
    if (input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE && ::GetConsoleMode(input, &mode)) {
        status = SecretReadStatus::Failed;
        DWORD written = 0;
        if (::SetConsoleMode(input, (mode & ~ENABLE_ECHO_INPUT) | ENABLE_LINE_INPUT) &&
            ::WriteConsoleA(output, prompt.data(), static_cast<DWORD>(prompt.size()), &written, nullptr)) {
            status = ReadSecretBytes(maxLength, secret, [input](char& byte) {
                DWORD got = 0;
                if (!::ReadFile(input, &byte, 1, &got, nullptr)) return ByteStep::Failed;
                return got == 1 ? ByteStep::Byte : ByteStep::End;
            });
            ::WriteConsoleA(output, "\r\n", 2, &written, nullptr);
        }
        ::SetConsoleMode(input, mode);
    }
    if (input != INVALID_HANDLE_VALUE) ::CloseHandle(input);
    if (output != INVALID_HANDLE_VALUE) ::CloseHandle(output);
    return status;
}

}  // namespace platform
