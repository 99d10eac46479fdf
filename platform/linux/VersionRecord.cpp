// The version record kept in the ".vbversion" section of a program file; the section's
// layout is described where it is made, in cmake/VersionRecord.cmake.
#include <strings.h>

#include <vector>

#include "platform/Shell.h"
#include "platform/linux/ElfSectionReader.h"

namespace platform {

namespace {

constexpr char kSectionName[] = ".vbversion";
constexpr uint32_t kSignature = 0xFEEF04BD;
constexpr size_t kFixedWords = 13;
constexpr size_t kFixedSize = kFixedWords * 4;
// A record holds a dozen short texts; anything much larger is not one of ours.
constexpr size_t kMaxRecordSize = 64 * 1024;

uint32_t Word(const std::vector<unsigned char>& bytes, size_t index) {
    const unsigned char* p = bytes.data() + index * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The whole record, or false when the file has none with a valid fixed part.
bool LoadRecord(const std::string& path, std::vector<unsigned char>& bytes) {
    ElfSectionReader reader(path);
    return reader.ReadSection(kSectionName, kMaxRecordSize, bytes) &&
           bytes.size() >= kFixedSize && Word(bytes, 0) == kSignature;
}

// The text starting at pos, up to its terminator; false when the terminator is missing.
bool NextText(const std::vector<unsigned char>& bytes, size_t& pos, std::string& out) {
    for (size_t end = pos; end < bytes.size(); ++end) {
        if (bytes[end] == 0) {
            out.assign(reinterpret_cast<const char*>(bytes.data()) + pos, end - pos);
            pos = end + 1;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ReadVersionRecord(const std::string& path, VersionRecord& out) {
    std::vector<unsigned char> bytes;
    if (!LoadRecord(path, bytes)) return false;
    out.fileVersionMS = Word(bytes, 2);
    out.fileVersionLS = Word(bytes, 3);
    out.productVersionMS = Word(bytes, 4);
    out.productVersionLS = Word(bytes, 5);
    out.fileFlagsMask = Word(bytes, 6);
    out.fileFlags = Word(bytes, 7);
    out.fileOS = Word(bytes, 8);
    out.fileType = Word(bytes, 9);
    return true;
}

bool ReadVersionString(const std::string& path, const std::string& key, std::string& out) {
    std::vector<unsigned char> bytes;
    if (!LoadRecord(path, bytes)) return false;
    size_t pos = kFixedSize;
    std::string name, value;
    // Keys are matched without regard to case, as version lookups always have been.
    while (NextText(bytes, pos, name) && !name.empty() && NextText(bytes, pos, value)) {
        if (strcasecmp(name.c_str(), key.c_str()) == 0) {
            out = value;
            return true;
        }
    }
    return false;
}

}  // namespace platform
