// Reading a password without letting it be seen: one line from a descriptor that the
// caller handed over, or one line typed at the process's terminal with echo off.
// The text is read into a buffer reserved up front, so no reallocation leaves a copy
// behind; on any outcome but Read it is wiped and empty. The caller wipes it after use.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

enum class SecretReadStatus {
    Read,        // the line is in secret, without its "\n" or "\r\n"
    EndOfInput,  // the input was at its end: not even an empty line was left
    TooLong,     // the line is longer than maxLength; nothing of it is kept
    Failed,      // the descriptor could not be read, or the terminal would not stop echoing
    NoTerminal,  // the process has no terminal to ask on
};

// Reads up to the next "\n" (or the end of the input) a byte at a time, so nothing
// after that line is taken: the next password may follow on the next line.
SecretReadStatus ReadSecretLine(int fd, size_t maxLength, std::string& secret);

// Writes prompt to the process's terminal (/dev/tty) and reads one line with echo off.
// The terminal gets its settings back on every way out; a SIGINT, SIGQUIT, SIGTERM or
// SIGHUP that arrives meanwhile first puts them back and then takes its usual course.
SecretReadStatus ReadSecretFromTerminal(const std::string& prompt, size_t maxLength, std::string& secret);

}  // namespace platform
