#include "CompoundFileHelpers.h"

#include <algorithm>
#include <sstream>

#include "support/CommandOutput.h"
#include "support/TempDir.h"

using namespace platform;

std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    uint32_t state = 2166136261u ^ seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * 16777619u + static_cast<uint32_t>(i);
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

StorageStatus WriteCompound(const std::string& path, const std::vector<SampleStream>& streams, size_t chunk) {
    OutStorage storage;
    StorageStatus status = storage.Create(path);
    if (!StorageSucceeded(status)) return status;
    for (const SampleStream& sample : streams) {
        OutStream stream;
        status = storage.CreateStream(sample.name, stream);
        if (!StorageSucceeded(status)) return status;
        for (size_t offset = 0; offset < sample.bytes.size(); offset += chunk) {
            size_t n = std::min(chunk, sample.bytes.size() - offset);
            size_t written = 0;
            status = stream.Write(sample.bytes.data() + offset, n, &written);
            if (!StorageSucceeded(status)) return status;
            if (written != n) return kStorageWriteFault;
        }
        status = stream.Commit();
        if (!StorageSucceeded(status)) return status;
    }
    return storage.Commit();
}

StorageStatus ReadWholeStream(InStorage& storage, const std::string& name, std::string& bytes, size_t chunk) {
    bytes.clear();
    InStream stream;
    StorageStatus status = storage.OpenStream(name, stream);
    if (!StorageSucceeded(status)) return status;
    std::string buffer(chunk, '\0');
    for (;;) {
        size_t read = 0;
        status = stream.Read(&buffer[0], buffer.size(), &read);
        if (!StorageSucceeded(status)) return status;
        if (read == 0) break;
        bytes.append(buffer, 0, read);
    }
    return bytes.size() == stream.Size() ? kStorageOk : kStorageReadFault;
}

std::string HandMadeCompound(uint32_t rootChild, const std::vector<DirectoryNode>& nodes) {
    const uint32_t kEnd = 0xFFFFFFFEu, kFree = 0xFFFFFFFFu;
    const size_t directorySectors = (nodes.size() + 1 + 3) / 4;  // four entries a sector
    std::string file(512 * (2 + directorySectors), '\0');
    auto put16 = [&](size_t at, uint16_t v) { file[at] = char(v), file[at + 1] = char(v >> 8); };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, uint16_t(v)), put16(at + 2, uint16_t(v >> 16)); };
    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    put16(0x18, 0x3E), put16(0x1A, 3), put16(0x1C, 0xFFFE), put16(0x1E, 9), put16(0x20, 6);
    put32(0x2C, 1), put32(0x30, 1), put32(0x38, 4096), put32(0x3C, kEnd), put32(0x44, kEnd);
    for (size_t i = 0; i < 109; ++i) put32(0x4C + 4 * i, i == 0 ? 0 : kFree);
    // Sector 0 is the allocation table, sectors 1.. the directory.
    for (uint32_t s = 0; s < 128; ++s) {
        put32(512 + 4 * s, s == 0 ? 0xFFFFFFFDu : s < directorySectors ? s + 1 : s == directorySectors ? kEnd : kFree);
    }
    for (size_t id = 0; id < 4 * directorySectors; ++id) {
        const size_t at = 1024 + 128 * id;
        const DirectoryNode node = id == 0 ? DirectoryNode{"Root Entry", 5, kNoEntry, kNoEntry, rootChild}
                                   : id <= nodes.size() ? nodes[id - 1]
                                                        : DirectoryNode{"", 0, kNoEntry, kNoEntry, kNoEntry};
        for (size_t i = 0; i < node.name.size(); ++i) put16(at + 2 * i, uint8_t(node.name[i]));
        put16(at + 0x40, uint16_t(node.name.empty() ? 0 : 2 * (node.name.size() + 1)));
        file[at + 0x42] = char(node.type);
        file[at + 0x43] = 1;  // black
        put32(at + 0x44, node.left), put32(at + 0x48, node.right), put32(at + 0x4C, node.child);
        put32(at + 0x74, node.type == 0 ? 0 : kEnd);
    }
    return file;
}

OlefileListing ReadWithOlefile(const std::string& container) {
    OlefileListing listing;
    TempDir out;
    const std::string command = std::string("/usr/bin/python3 '") + VEILBOX_SOURCE_DIR +
                                "/tests/files/olefile_dump.py' '" + container + "' '" + out.path() + "'";
    const std::string output = CommandOutput(command, &listing.exitCode);
    std::istringstream lines(output);
    std::string name;
    uint64_t size;
    while (std::getline(lines, name, '\t') && lines >> size) {
        lines.ignore(1);
        std::string file = name;  // the dump names a stream in a storage "storage_stream"
        std::replace(file.begin(), file.end(), '/', '_');
        listing.streams[name] = {size, ReadWholeFile(out.file(file))};
    }
    return listing;
}
