#include "CommandOutput.h"

#include <sys/wait.h>

#include <cstdio>

std::string CommandOutput(const std::string& command, int* exitCode) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (exitCode) *exitCode = -1;
    if (!pipe) return output;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = ::pclose(pipe);
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::string Hex(const uint8_t* bytes, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t k = 0; k < n; ++k) {
        out += digits[bytes[k] >> 4];
        out += digits[bytes[k] & 15];
    }
    return out;
}
