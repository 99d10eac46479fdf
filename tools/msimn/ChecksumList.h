// Name, size and hash of every file of a store, saved to a text file and compared
// later, to prove that a store came back exactly as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace msimn {

class ChecksumList {
public:
    struct Entry {
        std::string name;
        uint64_t size = 0;
        uint64_t hash = 0;
    };

    // Reads every store file of folder. Throws ToolError when one
    // cannot be read (for instance while the client holds it).
    static ChecksumList OfFolder(const std::string& folder);
    // Throws ToolError when the file is not a checksum list, FileException when it
    // cannot be read.
    static ChecksumList Load(const std::string& path);
    void Save(const std::string& path) const;

    // One line per difference between this (expected) list and actual:
    // "changed NAME", "missing NAME" or "extra NAME"; empty when they match.
    std::vector<std::string> Compare(const ChecksumList& actual) const;

    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;  // sorted by name
};

}  // namespace msimn
