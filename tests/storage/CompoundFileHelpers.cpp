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

OlefileListing ReadWithOlefile(const std::string& container) {
    OlefileListing listing;
    TempDir out;
    const std::string command = std::string("/usr/bin/python3 '") + VEILBOX_SOURCE_DIR +
                                "/tests/storage/olefile_dump.py' '" + container + "' '" + out.path() + "'";
    const std::string output = CommandOutput(command, &listing.exitCode);
    std::istringstream lines(output);
    std::string name;
    uint64_t size;
    while (std::getline(lines, name, '\t') && lines >> size) {
        lines.ignore(1);
        listing.streams[name] = {size, ReadWholeFile(out.file(name))};
    }
    return listing;
}
