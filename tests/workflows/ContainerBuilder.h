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

    // Fills the file streams' check values from the current password and sizes.
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
};
