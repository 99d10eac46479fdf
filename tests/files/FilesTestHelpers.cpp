#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "FilesTest.h"

// fsync and syncfs are wrapped for the whole test program: each call is counted under
// the path of its descriptor, then passed on, so a test can tell that a flush reached
// the system and not only that it returned.
namespace {
std::mutex mutex;
std::map<std::string, int> calls;

int Counted(const char* call, int fd) {
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    std::unique_lock<std::mutex> lock(mutex);
    ++calls[std::string(call) + " " + std::string(path, n > 0 ? size_t(n) : 0)];
    lock.unlock();
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, call))(fd);
}
}  // namespace

extern "C" int fsync(int fd) { return Counted("fsync", fd); }
extern "C" int syncfs(int fd) { return Counted("syncfs", fd); }

int Syncs(const std::string& call, const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    return calls[call + " " + path];
}

std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    uint32_t state = 2166136261u ^ seed;
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((state = state * 16777619u + uint32_t(i)) >> 24);
    return bytes;
}

StorageStatus WriteCompound(const std::string& path, const std::vector<SampleStream>& streams, size_t chunk) {
    OutStorage storage;
    StorageStatus status = storage.Create(path);
    for (size_t k = 0; StorageSucceeded(status) && k < streams.size(); ++k) {
        OutStream stream;
        status = storage.CreateStream(streams[k].name, stream);
        const std::string& bytes = streams[k].bytes;
        for (size_t at = 0, written = 0; StorageSucceeded(status) && at < bytes.size(); at += chunk) {
            status = stream.Write(bytes.data() + at, std::min(chunk, bytes.size() - at), &written);
            if (StorageSucceeded(status) && written != std::min(chunk, bytes.size() - at)) status = kStorageWriteFault;
        }
        if (StorageSucceeded(status)) status = stream.Commit();
    }
    return StorageSucceeded(status) ? storage.Commit() : status;
}

StorageStatus ReadWholeStream(InStorage& storage, const std::string& name, std::string& bytes, size_t chunk) {
    bytes.clear();
    InStream stream;
    StorageStatus status = storage.OpenStream(name, stream);
    std::string buffer(chunk, '\0');
    for (size_t read = 1; StorageSucceeded(status) && read > 0; bytes.append(buffer, 0, read))
        status = stream.Read(&buffer[0], buffer.size(), &read);
    if (!StorageSucceeded(status)) return status;
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
    for (uint32_t s = 0; s < 128; ++s)
        put32(512 + 4 * s, s == 0 ? 0xFFFFFFFDu : s < directorySectors ? s + 1 : s == directorySectors ? kEnd : kFree);
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
