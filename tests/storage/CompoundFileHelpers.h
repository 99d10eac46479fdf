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

// What python3-olefile finds in a file: stream name -> (directory size, bytes).
struct OlefileListing {
    int exitCode = -1;
    std::map<std::string, std::pair<uint64_t, std::string>> streams;
};
OlefileListing ReadWithOlefile(const std::string& container);
