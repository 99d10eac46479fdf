// Helpers of the file tests: counted flushes, and compound files written whole, read
// back whole, or made by hand.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

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

struct SampleStream {
    std::string name, bytes;
};
// size bytes that differ from stream to stream (seed) and from block to block.
std::string PatternBytes(size_t size, unsigned seed);
// Writes the streams in order, in writes of at most chunk bytes, and commits; the first failure.
StorageStatus WriteCompound(const std::string& path, const std::vector<SampleStream>& streams, size_t chunk = 65536);
StorageStatus ReadWholeStream(InStorage& storage, const std::string& name, std::string& bytes, size_t chunk = 65536);

// A compound file whose root's directory tree is exactly the one given, however shaped
// or broken: links are entry numbers (the root is 0, the first node 1), kNoEntry for none.
constexpr uint32_t kNoEntry = 0xFFFFFFFFu;
struct DirectoryNode {
    std::string name;  // ASCII
    uint8_t type;      // 1 storage, 2 stream (empty)
    uint32_t left, right, child;
};
std::string HandMadeCompound(uint32_t rootChild, const std::vector<DirectoryNode>& nodes);
