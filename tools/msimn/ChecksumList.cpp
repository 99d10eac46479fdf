#include "ChecksumList.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "Fnv1a.h"
#include "StoreFiles.h"
#include "ToolError.h"
#include "platform/File.h"

namespace msimn {

namespace {

constexpr const char* kHeader = "# msimn store checksums 1";

std::string ReadAll(const std::string& path) {
    platform::File file;
    Require(platform::File::Open(path, platform::File::Mode::Read, file));
    std::string text;
    char buffer[64 * 1024];
    size_t n = 0;
    do {
        Require(file.Read(buffer, sizeof buffer, n));
        text.append(buffer, n);
    } while (n > 0);
    return text;
}

}  // namespace

ChecksumList ChecksumList::OfFolder(const std::string& folder) {
    ChecksumList list;
    std::vector<char> buffer(64 * 1024);
    for (const auto& found : StoreFiles::List(folder)) {
        platform::File file;
        Require(platform::File::Open(StoreFiles::PathOf(folder, found.name), platform::File::Mode::Read, file));
        Entry entry;
        entry.name = found.name;
        Fnv1a hash;
        size_t n = 0;
        do {
            Require(file.Read(buffer.data(), buffer.size(), n));
            hash.Update(buffer.data(), n);
            entry.size += n;
        } while (n > 0);
        entry.hash = hash.Value();
        list.entries_.push_back(entry);
    }
    return list;
}

void ChecksumList::Save(const std::string& path) const {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& entry : entries_) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%" PRIu64 "\t%016" PRIx64 "\t", entry.size, entry.hash);
        text += numbers + entry.name + "\n";
    }
    platform::File file;
    Require(platform::File::Open(path, platform::File::Mode::CreateWrite, file));
    Require(file.Write(text.data(), text.size()));
    Require(file.Close());
}

ChecksumList ChecksumList::Load(const std::string& path) {
    std::istringstream in(ReadAll(path));
    std::string line;
    if (!std::getline(in, line) || line != kHeader) throw ToolError(path + " is not a store checksum list");
    ChecksumList list;
    while (std::getline(in, line)) {
        // size TAB hash TAB name: the name is last and taken whole, spaces and all.
        size_t first = line.find('\t');
        size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
        Entry entry;
        char* end = nullptr;
        if (second != std::string::npos) {
            entry.size = std::strtoull(line.c_str(), &end, 10);
            if (end == line.c_str() + first) entry.hash = std::strtoull(line.c_str() + first + 1, &end, 16);
        }
        if (second == std::string::npos || first == 0 || second == first + 1 || end != line.c_str() + second) {
            throw ToolError(path + ": bad line \"" + line + "\"");
        }
        entry.name = line.substr(second + 1);
        list.entries_.push_back(entry);
    }
    std::sort(list.entries_.begin(), list.entries_.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return list;
}

std::vector<std::string> ChecksumList::Compare(const ChecksumList& actual) const {
    std::map<std::string, const Entry*> found;
    for (const auto& entry : actual.entries_) found[entry.name] = &entry;
    std::vector<std::string> differences;
    for (const auto& expected : entries_) {
        auto it = found.find(expected.name);
        if (it == found.end()) {
            differences.push_back("missing " + expected.name);
            continue;
        }
        if (it->second->size != expected.size || it->second->hash != expected.hash) {
            differences.push_back("changed " + expected.name);
        }
        found.erase(it);
    }
    for (const auto& extra : found) differences.push_back("extra " + extra.first);
    return differences;
}

}  // namespace msimn
