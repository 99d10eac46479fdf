// Shared by the file tests: counted flushes, file modes, and test data.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/CompoundFile.h"
#include "platform/File.h"
#include "support/TempDir.h"

using namespace platform;

// How often this program called `call` ("fsync" or "syncfs") on a descriptor of path.
int Syncs(const std::string& call, const std::string& path);

inline mode_t ModeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// size bytes that differ from stream to stream (seed) and from block to block.
inline std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    uint32_t state = 2166136261u ^ seed;
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((state = state * 16777619u + uint32_t(i)) >> 24);
    return bytes;
}
