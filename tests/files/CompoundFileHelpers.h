// Writing and reading whole compound files in tests, with our layer and with an
// independent reader (python3-olefile).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/CompoundFile.h"

struct SampleStream {
    std::string name;
    std::string bytes;
};

// size bytes that differ from stream to stream (seed) and from block to block.
std::string PatternBytes(size_t size, unsigned seed);

// Writes the streams in order, each in writes of at most chunk bytes, then commits.
// Returns the first failure, or the storage commit's status.
platform::StorageStatus WriteCompound(const std::string& path, const std::vector<SampleStream>& streams,
                                      size_t chunk = 65536);

// Reads a whole stream through an open storage, in reads of at most chunk bytes.
platform::StorageStatus ReadWholeStream(platform::InStorage& storage, const std::string& name,
                                        std::string& bytes, size_t chunk = 65536);

// One directory entry of a hand-made compound file: links are entry numbers (the
// root is 0, the first node 1), kNoEntry for none. Streams are empty.
constexpr uint32_t kNoEntry = 0xFFFFFFFFu;
struct DirectoryNode {
    std::string name;  // ASCII
    uint8_t type;      // 1 storage, 2 stream
    uint32_t left, right, child;
};
// The bytes of a compound file whose directory tree is exactly the one given, however
// shaped or broken, under a root whose child link is rootChild.
std::string HandMadeCompound(uint32_t rootChild, const std::vector<DirectoryNode>& nodes);

// What python3-olefile finds in a file: stream name -> (directory size, bytes).
struct OlefileListing {
    int exitCode = -1;
    std::map<std::string, std::pair<uint64_t, std::string>> streams;
};
OlefileListing ReadWithOlefile(const std::string& container);
