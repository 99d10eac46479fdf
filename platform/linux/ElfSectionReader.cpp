#include "platform/linux/ElfSectionReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/linux/PosixFiles.h"

namespace platform {

namespace {

constexpr unsigned char kMagic[4] = {0x7f, 'E', 'L', 'F'};
constexpr unsigned kClass32 = 1, kClass64 = 2;
constexpr unsigned kDataLittle = 1, kDataBig = 2;
constexpr uint32_t kSectionNoBits = 8;         // SHT_NOBITS: occupies no file bytes
constexpr uint64_t kExtendedIndex = 0xffff;    // SHN_XINDEX
constexpr size_t kHeader64 = 64, kHeader32 = 52;
constexpr size_t kSection64 = 64, kSection32 = 40;
// Section names live in one string table; a real one is a few kilobytes.
constexpr size_t kMaxNameTable = 1 << 20;

}  // namespace

ElfSectionReader::ElfSectionReader(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat info {};
    if (!fd_ || fstat(fd_.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    fileSize_ = static_cast<uint64_t>(info.st_size);
    valid_ = ReadHeaders();
}

bool ElfSectionReader::ReadAt(uint64_t offset, void* buffer, size_t size) const {
    if (offset > fileSize_ || size > fileSize_ - offset) return false;
    return ReadFullyAt(fd_.Get(), offset, buffer, size);
}

uint64_t ElfSectionReader::Field(const unsigned char* p, size_t width) const {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) {
        size_t byte = bigEndian_ ? i : width - 1 - i;
        value = (value << 8) | p[byte];
    }
    return value;
}

bool ElfSectionReader::ReadHeaders() {
    unsigned char header[kHeader64] = {};
    if (!ReadAt(0, header, 16) || std::memcmp(header, kMagic, sizeof kMagic) != 0) return false;
    if (header[4] != kClass32 && header[4] != kClass64) return false;
    if (header[5] != kDataLittle && header[5] != kDataBig) return false;
    is64_ = header[4] == kClass64;
    bigEndian_ = header[5] == kDataBig;
    if (!ReadAt(0, header, is64_ ? kHeader64 : kHeader32)) return false;

    uint64_t nameIndex;
    if (is64_) {
        sectionTable_ = Field(header + 40, 8);
        sectionEntrySize_ = Field(header + 58, 2);
        sectionCount_ = Field(header + 60, 2);
        nameIndex = Field(header + 62, 2);
    } else {
        sectionTable_ = Field(header + 32, 4);
        sectionEntrySize_ = Field(header + 46, 2);
        sectionCount_ = Field(header + 48, 2);
        nameIndex = Field(header + 50, 2);
    }
    if (sectionTable_ == 0 || sectionEntrySize_ < (is64_ ? kSection64 : kSection32)) return false;

    // With very many sections the real count and the name table's index are kept in
    // the first section header instead.
    Section first;
    if (sectionCount_ == 0) {
        sectionCount_ = 1;
        if (!ReadSectionHeader(0, first)) return false;
        sectionCount_ = first.size;
    }
    if (sectionCount_ == 0 || sectionTable_ > fileSize_ ||
        sectionCount_ > (fileSize_ - sectionTable_) / sectionEntrySize_)
        return false;
    if (nameIndex == kExtendedIndex) {
        if (!ReadSectionHeader(0, first)) return false;
        nameIndex = first.link;
    }

    Section names;
    return ReadSectionHeader(nameIndex, names) && ReadContents(names, kMaxNameTable, names_);
}

bool ElfSectionReader::ReadSectionHeader(uint64_t index, Section& out) const {
    if (index >= sectionCount_) return false;
    unsigned char entry[kSection64];
    size_t size = is64_ ? kSection64 : kSection32;
    if (!ReadAt(sectionTable_ + index * sectionEntrySize_, entry, size)) return false;
    out.nameOffset = static_cast<uint32_t>(Field(entry, 4));
    out.type = static_cast<uint32_t>(Field(entry + 4, 4));
    if (is64_) {
        out.offset = Field(entry + 24, 8);
        out.size = Field(entry + 32, 8);
        out.link = static_cast<uint32_t>(Field(entry + 40, 4));
    } else {
        out.offset = Field(entry + 16, 4);
        out.size = Field(entry + 20, 4);
        out.link = static_cast<uint32_t>(Field(entry + 24, 4));
    }
    return true;
}

bool ElfSectionReader::ReadContents(const Section& section, size_t maxSize,
                                    std::vector<unsigned char>& out) const {
    if (section.type == kSectionNoBits || section.size > maxSize) return false;
    std::vector<unsigned char> bytes(static_cast<size_t>(section.size));
    if (!ReadAt(section.offset, bytes.data(), bytes.size())) return false;
    out.swap(bytes);
    return true;
}

bool ElfSectionReader::ReadSection(const std::string& name, size_t maxSize,
                                   std::vector<unsigned char>& out) {
    if (!valid_) return false;
    for (uint64_t i = 0; i < sectionCount_; ++i) {
        Section section;
        if (!ReadSectionHeader(i, section)) return false;
        if (section.nameOffset >= names_.size()) continue;
        const char* text = reinterpret_cast<const char*>(names_.data()) + section.nameOffset;
        size_t room = names_.size() - section.nameOffset;
        // The name must end inside the table and match exactly, terminator included.
        if (name.size() < room && std::memcmp(text, name.data(), name.size()) == 0 &&
            text[name.size()] == '\0')
            return ReadContents(section, maxSize, out);
    }
    return false;
}

}  // namespace platform
