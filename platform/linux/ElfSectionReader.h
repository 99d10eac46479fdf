// Finds one named section in an ELF file (32 or 64 bit, either byte order) by reading
// its section headers. Every offset and size in the file is checked against the file
// before use, so a damaged or hostile file simply has no such section.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/UniqueFd.h"

namespace platform {

class ElfSectionReader {
public:
    // Opens the file and reads its headers; Valid() tells whether that worked.
    explicit ElfSectionReader(const std::string& path);

    bool Valid() const { return valid_; }
    // Reads the contents of the first section with that name. False when there is no
    // such section, it has no bytes in the file, or it is larger than maxSize.
    bool ReadSection(const std::string& name, size_t maxSize, std::vector<unsigned char>& out);

private:
    struct Section {
        uint32_t nameOffset = 0;
        uint32_t type = 0;
        uint64_t offset = 0;
        uint64_t size = 0;
        uint32_t link = 0;
    };

    bool ReadHeaders();
    bool ReadAt(uint64_t offset, void* buffer, size_t size) const;
    bool ReadSectionHeader(uint64_t index, Section& out) const;
    bool ReadContents(const Section& section, size_t maxSize, std::vector<unsigned char>& out) const;
    uint64_t Field(const unsigned char* p, size_t width) const;

    UniqueFd fd_;
    uint64_t fileSize_ = 0;
    bool valid_ = false;
    bool is64_ = false;
    bool bigEndian_ = false;
    uint64_t sectionTable_ = 0;
    uint64_t sectionEntrySize_ = 0;
    uint64_t sectionCount_ = 0;
    std::vector<unsigned char> names_;
};

}  // namespace platform
