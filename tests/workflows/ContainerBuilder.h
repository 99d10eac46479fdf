// Writes containers by hand, the way a damaged disk or a hostile sender might: every
// field and every stream can be set to anything before the file is written.
#pragma once

#include <string>
#include <vector>

#include "store/IndexHeader.h"
#include "store/StreamHeader.h"

struct BuiltFileStream {
    StreamHeader header;
    std::string plain;     // enciphered under the header's salt when written
    bool present = true;   // false: the stream is left out
    std::string raw;       // when set, written instead of header and data
};

class ContainerBuilder {
public:
    // A valid container of the identity's current registry key and the given files
    // (full path -> bytes), keyed with password.
    ContainerBuilder(const std::vector<std::pair<std::string, std::string>>& files, const std::string& password);

    // Fills the file streams' check values from the current password and sizes, and
    // with `digests` marks the index as sealed and every stream header as stamped.
    void Seal();
    // Writes the compound file at path.
    void Write(const std::string& path) const;

    IndexHeader index;
    std::string structure;
    std::string data;
    std::string rawIndex;  // when set, the whole index stream
    std::string rawFile;   // when set, the whole file: not a compound file at all
    std::vector<BuiltFileStream> files;
    std::string password;
    // Written as this program writes today: a seal stream with every digest. Without
    // it the container is one of an older writer.
    bool digests = true;
    // Bytes flipped after the digests are computed: (stream name, offset in the stream).
    std::vector<std::pair<std::string, size_t>> flips;
    // Streams written besides the ones above: (name, bytes).
    std::vector<std::pair<std::string, std::string>> extraStreams;
};
