// Runs a command line through the shell for tests that check our output with an
// independent program.
#pragma once

#include <cstdint>
#include <string>

// What the command wrote to its standard output; its exit status goes to *exitCode
// (-1 when it did not exit normally).
std::string CommandOutput(const std::string& command, int* exitCode = nullptr);

// Lower-case hexadecimal digits of n bytes.
std::string Hex(const uint8_t* bytes, size_t n);
