// Runs a command line through the shell for tests that check our output with an
// independent program.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "Hex.h"

// What the command wrote to its standard output; its exit status goes to *exitCode
// (-1 when it did not exit normally).
inline std::string CommandOutput(const std::string& command, int* exitCode = nullptr) {
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
