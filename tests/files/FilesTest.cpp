// Files and compound files as the core uses them. (The workflow tests' store folders
// show wildcard search, attributes and file stamps.)
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>

#include "platform/CompoundFile.h"
#include "platform/File.h"
#include "support/ScopedFileSizeLimit.h"
#include "support/TempDir.h"

using namespace platform;

// fsync and syncfs are wrapped for the whole test program: each call is counted under
// the path of its descriptor, then passed on, so a test can tell that a flush reached
// the system and not only that it returned. The tests here flush from one thread.
static std::map<std::string, int> calls;
static int Counted(const char* call, int fd) {
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    ++calls[std::string(call) + " " + std::string(path, n > 0 ? size_t(n) : 0)];
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, call))(fd);
}
extern "C" int fsync(int fd) { return Counted("fsync", fd); }
extern "C" int syncfs(int fd) { return Counted("syncfs", fd); }

namespace {

int Syncs(const std::string& call, const std::string& path) { return calls[call + " " + path]; }

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// size bytes that differ from stream to stream (seed) and from block to block.
std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    uint32_t state = 2166136261u ^ seed;
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((state = state * 16777619u + uint32_t(i)) >> 24);
    return bytes;
}

using Mode = File::Mode;

File Opened(const std::string& path, Mode mode, File::Permissions permissions = File::DefaultPermissions) {
    File file;
    EXPECT_TRUE(File::Open(path, mode, file, permissions).ok()) << path;
    return file;
}

// As on Windows: a held file is refused to every other opener, deleter and renamer
// (another process too; the mail client stand-in's tests show that), a read-only one
// to every writer. No call follows a link (a create through one must not even make
// the target private), a pipe without its other end must not hold an open, and
// CreateNew and NoReplace find something at every one of these paths.
TEST(File, EveryCallRefusesWhatWindowsWouldAndNamesTheFileAndTheCause) {
    TempDir dir;
    const std::string source = dir.file("source"), target = dir.file("target");
    WriteWholeFile(dir.file("held"), "mail");
    WriteWholeFile(dir.file("locked"), "keep");
    WriteWholeFile(target, "target");
    ASSERT_EQ(0, ::chmod(target.c_str(), 0644) | ::chmod(dir.file("locked").c_str(), 0444) |
                     ::mkfifo(dir.file("pipe").c_str(), 0600) | ::mkdir(dir.file("folder").c_str(), 0700) |
                     ::symlink(target.c_str(), dir.file("link").c_str()) |
                     ::symlink(dir.file("missing").c_str(), dir.file("dangling").c_str()));
    File held = Opened(dir.file("held"), Mode::ReadWrite);
    const auto open = [](Mode mode) {
        return [mode](const std::string& p) { File f; return File::Open(p, mode, f, File::OwnerOnly); };
    };
    const auto rename = [&](FileStatus (*call)(const std::string&, const std::string&)) {
        return [&, call](const std::string& p) { WriteWholeFile(source, "new"); return call(source, p); };
    };
    const std::function<FileStatus(const std::string&)> calls[] = {
        open(Mode::Read), open(Mode::ReadWrite), open(Mode::CreateWrite), open(Mode::CreateNew),
        RemoveFile, rename(RenameFile), rename(RenameFileDeferred), rename(RenameFileNoReplace)};
    const std::map<char, std::pair<FileStatus::Cause, std::string>> causes = {
        {'S', {FileStatus::SharingViolation, "A sharing violation occurred while accessing %."}},
        {'A', {FileStatus::AccessDenied, "Access to % was denied."}},
        {'L', {FileStatus::LinkRefused, "% is a symbolic link; links are not followed."}},
        {'N', {FileStatus::NotAFile, "% is not a regular file."}},
        {'E', {FileStatus::AlreadyExists, "% already exists."}},
        {'F', {FileStatus::FileNotFound, "% was not found."}},
        {'B', {FileStatus::BadPath, "% contains an incorrect path."}},
    };
    // Read, ReadWrite, CreateWrite, CreateNew, delete, and replacing, deferred and
    // no-replace renames to the path: '.' succeeds, '-' is not tried, letters as above.
    const std::pair<const char*, const char*> rows[] = {
        {"held", "SSSESSSE"}, {"locked", ".AAEAAAE"}, {"link", "LLLE---E"},   {"dangling", "LLLE---E"},
        {"pipe", "NNNE---E"}, {"folder", "AAAEAAAE"}, {"missing", "FF--F---"}, {"no/file", "BBBBB---"},
    };
    for (const auto& [name, expected] : rows) {
        for (size_t call = 0; call < std::size(calls); ++call) {
            if (expected[call] == '-') continue;
            const std::string path = dir.file(name);
            const FileStatus status = calls[call](path);
            SCOPED_TRACE(std::string(name) + " call " + std::to_string(call));
            std::string text = expected[call] == '.' ? "" : causes.at(expected[call]).second;
            EXPECT_EQ(text.empty() ? FileStatus::Ok : causes.at(expected[call]).first, status.cause());
            EXPECT_EQ(text.empty() ? "" : text.replace(text.find('%'), 1, path), status.text());
            EXPECT_EQ(text.empty() ? "" : path, status.path());
        }
    }
    EXPECT_EQ("mail keep target", ReadWholeFile(dir.file("held")) + " " + ReadWholeFile(dir.file("locked")) + " " + ReadWholeFile(target));
    EXPECT_EQ(0644u, ModeOf(target));
    EXPECT_FALSE(FileExists(dir.file("missing")));
    EXPECT_EQ(FileStatus::NotAFile, open(Mode::Read)("/dev/null").cause());
}

// A private file is 0600 whatever the umask; a flush, every rename but the deferred
// one and a folder flush reach the disk; a full disk is reported as such.
TEST(File, DataAndRenamesReachTheDisk) {
    for (auto rename : {RenameFile, RenameFileDeferred, RenameFileNoReplace}) {
        TempDir dir;
        const mode_t before = ::umask(0);
        File file = Opened(dir.file("from"), Mode::CreateNew, File::OwnerOnly);
        ::umask(before);
        EXPECT_EQ(0600u, ModeOf(dir.file("from")));
        const int flushes = Syncs("fsync", dir.file("from"));
        ASSERT_TRUE(file.Write("new", 3).ok() && file.Flush().ok() && file.Close().ok());
        EXPECT_EQ(flushes + 1, Syncs("fsync", dir.file("from")));
        WriteWholeFile(dir.file(rename == RenameFileNoReplace ? "other" : "to"), "old");
        const int syncs = Syncs("fsync", dir.path());
        ASSERT_TRUE(rename(dir.file("from"), dir.file("to")).ok());
        EXPECT_EQ(rename != RenameFileDeferred, syncs < Syncs("fsync", dir.path()));
        EXPECT_EQ("new", ReadWholeFile(dir.file("to")));
    }
    TempDir dir;
    const int syncs = Syncs("fsync", dir.path()), fsSyncs = Syncs("syncfs", dir.path());
    EXPECT_TRUE(FlushFolder(dir.path()) && syncs + 1 == Syncs("fsync", dir.path()));
    EXPECT_TRUE(!FlushFileSystemOf(dir.path()) || fsSyncs + 1 == Syncs("syncfs", dir.path()));
    File file = Opened(dir.file("big"), Mode::CreateWrite);
    FileStatus status;
    {
        ScopedFileSizeLimit full(4);  // a write past the limit fails as one on a full disk does
        status = file.Write("0123456789", 10);
    }
    EXPECT_EQ("There is not enough space on the disk to write " + dir.file("big") + ".", status.text());
}

struct SampleStream { std::string name, bytes; };

// Writes the streams in order, in writes of at most chunk bytes, and commits; the first failure.
StorageStatus WriteCompound(const std::string& path, const std::vector<SampleStream>& streams, size_t chunk = 65536) {
    OutStorage storage;
    StorageStatus status = storage.Create(path);
    for (size_t k = 0; StorageSucceeded(status) && k < streams.size(); ++k) {
        OutStream stream;
        status = storage.CreateStream(streams[k].name, stream);
        const std::string& bytes = streams[k].bytes;
        for (size_t at = 0, written = 0; StorageSucceeded(status) && at < bytes.size(); at += chunk) {
            status = stream.Write(bytes.data() + at, std::min(chunk, bytes.size() - at), &written);
        }
        if (StorageSucceeded(status)) status = stream.Commit();
    }
    return StorageSucceeded(status) ? storage.Commit() : status;
}

StorageStatus ReadWholeStream(InStorage& storage, const std::string& name, std::string& bytes, size_t chunk = 65536) {
    bytes.clear();
    InStream stream;
    StorageStatus status = storage.OpenStream(name, stream);
    std::string buffer(chunk, '\0');
    for (size_t read = 1; StorageSucceeded(status) && read > 0; bytes.append(buffer, 0, read))
        status = stream.Read(&buffer[0], buffer.size(), &read);
    if (!StorageSucceeded(status)) return status;
    return bytes.size() == stream.Size() ? kStorageOk : kStorageReadFault;
}

// A compound file whose root's directory tree is exactly the one given, however shaped
// or broken: links are entry numbers (the root is 0, the first node 1), kNoEntry for none.
constexpr uint32_t kNoEntry = 0xFFFFFFFFu;
struct DirectoryNode {
    std::string name;  // ASCII
    uint8_t type;      // 1 storage, 2 stream (empty)
    uint32_t left, right, child;
};
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

std::vector<SampleStream> Numbered(size_t count, size_t (*size)(size_t k)) {
    std::vector<SampleStream> streams;
    for (size_t k = 0; k < count; ++k) streams.push_back({std::to_string(100000 + k).substr(1), PatternBytes(size(k), unsigned(k))});
    return streams;
}

TEST(CompoundFile, EveryStreamReadsBackWhateverItsSizeAndHowItWasWritten) {
    // 4096 bytes is where a stream leaves the small-block area (writes of 3000 bytes cross
    // it inside a write); the header lists 109 allocation-table sectors (about 7 MB),
    // beyond which the extension chain is needed; thousands of entries fill many sectors.
    const std::pair<std::vector<SampleStream>, size_t> layouts[] = {  // streams, largest write
        {{{"index", PatternBytes(597, 1)}, {"empty", ""}, {"s4095", PatternBytes(4095, 2)}, {"s4096", PatternBytes(4096, 3)}}, 65536},
        {Numbered(12, [](size_t k) { return k % 4 ? 540 + k * 7919 * (k % 3 + 1) : 540; }), 3000},
        {{{"index", PatternBytes(560, 20)}, {"00000", PatternBytes(8 << 20, 21)}}, 65536},
        {Numbered(4000, [](size_t k) -> size_t { return k % 500 == 7 ? 5000 : k % 97 * 11; }), 65536},
    };
    for (const auto& [streams, chunk] : layouts) {
        TempDir dir;
        ASSERT_EQ(kStorageOk, WriteCompound(dir.file("c.dat"), streams, chunk));
        InStorage storage;
        ASSERT_EQ(kStorageOk, storage.Open(dir.file("c.dat")));
        EXPECT_EQ(streams.size(), storage.Entries().size());
        for (const SampleStream& sample : streams) {
            // Odd reads cross every block boundary at another place; names ignore case.
            std::string bytes, upper = sample.name;
            for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
            ASSERT_EQ(kStorageOk, ReadWholeStream(storage, upper, bytes, 1000)) << sample.name;
            ASSERT_TRUE(sample.bytes == bytes) << sample.name;
        }
    }
}

// The root's entries come in the order of its directory tree, walked left, entry,
// right, whatever the tree's shape; what a storage holds is not the root's. A tree
// that comes round again or links to a free or missing entry is damage.
TEST(CompoundFile, EntriesFollowTheDirectoryTree) {
    TempDir dir;
    const std::string path = dir.file("tree.dat");
    // "sub" (2) at the top, "b" (1) left of it, "Zeta" (3) and "00000" (4) to the right;
    // "inner" (5) is in "sub". Slots 6 and 7 of the directory are free.
    const std::vector<DirectoryNode> tree = {
        {"b", 2, kNoEntry, kNoEntry, kNoEntry}, {"sub", 1, 1, 3, 5}, {"Zeta", 2, kNoEntry, 4, kNoEntry},
        {"00000", 2, kNoEntry, kNoEntry, kNoEntry}, {"inner", 2, kNoEntry, kNoEntry, kNoEntry}};
    WriteWholeFile(path, HandMadeCompound(2, tree));
    InStorage storage;
    ASSERT_EQ(kStorageOk, storage.Open(path));
    std::string listed;
    for (const auto& entry : storage.Entries()) listed += entry.name + (entry.isStream ? " " : "/ ");
    EXPECT_EQ("b sub/ Zeta 00000 ", listed);
    InStream stream;
    EXPECT_EQ(kStorageFileNotFound, storage.OpenStream("sub", stream));
    EXPECT_EQ(kStorageFileNotFound, storage.OpenStream("inner", stream));
    EXPECT_EQ(kStorageOk, storage.OpenStream("ZETA", stream));
    for (uint32_t rightOfLast : {2u, 7u, 8u, 0x7FFFFFFFu}) {  // a cycle, a free entry, past the directory, far off
        std::vector<DirectoryNode> broken = tree;
        broken[3].right = rightOfLast;
        WriteWholeFile(path, HandMadeCompound(2, broken));
        EXPECT_EQ(kStorageInvalidHeader, storage.Open(path)) << rightOfLast;
        EXPECT_TRUE(storage.Entries().empty()) << rightOfLast;
    }
}

// A commit is durable; the file is held while written or read; a writer let go without
// a commit leaves nothing that could pass for a container.
TEST(CompoundFile, TheWriterHoldsTheFileAndCommitsDurablyOrLeavesNothing) {
    TempDir dir;
    const std::string path = dir.file("c.dat"), big = PatternBytes(100000, 9);
    OutStorage storage, second;
    OutStream stream, next;
    ASSERT_EQ(kStorageOk, storage.Create(path));
    EXPECT_EQ(kStorageShareViolation, second.Create(path));
    ASSERT_EQ(kStorageOk, storage.CreateStream("index", stream));
    EXPECT_EQ(kStorageAccessDenied, storage.CreateStream("00000", next)) << "one stream at a time";
    const int syncs = Syncs("fsync", path);
    ASSERT_EQ(kStorageOk, storage.Commit());
    EXPECT_LT(syncs, Syncs("fsync", path));
    InStorage reader;
    ASSERT_EQ(kStorageOk, reader.Open(path));
    EXPECT_EQ(kStorageShareViolation, storage.Create(path));
    reader.Release();
    // The storage goes first, the stream after it, as a failing writer may do.
    size_t count = 0;
    ASSERT_EQ(kStorageOk, storage.Create(path));
    ASSERT_EQ(kStorageOk, storage.CreateStream("index", next));
    ASSERT_EQ(kStorageOk, next.Write(big.data(), big.size(), &count));
    storage.Release();
    EXPECT_EQ(kStorageReverted, next.Write("x", 1, &count));
    EXPECT_EQ("", ReadWholeFile(path));
}

// No open follows a link at the path: it could send a container's secrets, or take
// one, wherever it points. CreateNew takes only a free name, and a pipe at the path
// makes no open wait. Containers are private from the start, whatever the umask.
TEST(CompoundFile, LinksAndTakenNamesAreRefusedAndContainersArePrivate) {
    TempDir dir;
    const std::string container = dir.file("real.dat");
    ASSERT_EQ(kStorageOk, WriteCompound(container, {{"index", "kept"}}));
    ASSERT_EQ(0, ::symlink(container.c_str(), dir.file("link").c_str()) | ::mkfifo(dir.file("pipe").c_str(), 0600) |
                     ::symlink(dir.file("absent").c_str(), dir.file("dangling").c_str()));
    const std::string before = ReadWholeFile(container);
    OutStorage writer;
    InStorage reader;
    for (const std::string name : {"link", "dangling", "pipe"}) {
        EXPECT_EQ(kStorageAccessDenied, writer.Create(dir.file(name))) << name;
        EXPECT_EQ(kStorageFileAlreadyExists, writer.CreateNew(dir.file(name))) << name;
        EXPECT_NE(kStorageOk, reader.Open(dir.file(name))) << name;
    }
    EXPECT_EQ(kStorageFileAlreadyExists, writer.CreateNew(container));
    EXPECT_EQ(before, ReadWholeFile(container));
    EXPECT_FALSE(FileExists(dir.file("absent")));
    for (mode_t mask : {mode_t(0), mode_t(0277)}) {  // open to all; without even the owner's write bit
        ASSERT_EQ(0, ::chmod(container.c_str(), 0644));
        const mode_t old = ::umask(mask);
        const StorageStatus status = WriteCompound(container, {{"index", "x"}}), statusNew = writer.CreateNew(dir.file("new"));
        ::umask(old);
        EXPECT_TRUE(status == kStorageOk && statusNew == kStorageOk && writer.Commit() == kStorageOk) << mask;
        EXPECT_EQ(std::make_pair(0600u, 0600u), std::make_pair(ModeOf(container), ModeOf(dir.file("new")))) << mask;
        ASSERT_EQ(0, ::unlink(dir.file("new").c_str()));
    }
}

// readBack tells whether the samples come back "intact", with "wrong bytes" or "failed".
TEST(CompoundFileDamage, FilesThatAreNotWholeCompoundFilesNeverReadAsGood) {
    const std::vector<SampleStream> samples = {
        {"index", PatternBytes(700, 1)}, {"00000", PatternBytes(3540, 2)}, {"00001", PatternBytes(150540, 3)}};
    TempDir dir;
    const auto readBack = [&](const std::string& bytes) -> std::string {
        WriteWholeFile(dir.file("c.dat"), bytes);
        InStorage storage;
        StorageStatus status = storage.Open(dir.file("c.dat"));
        for (size_t k = 0; StorageSucceeded(status) && k < samples.size(); ++k) {
            std::string read;
            status = ReadWholeStream(storage, samples[k].name, read);
            if (StorageSucceeded(status) && read != samples[k].bytes) return "wrong bytes";
        }
        return StorageSucceeded(status) ? "intact" : "failed";
    };
    ASSERT_EQ(kStorageOk, WriteCompound(dir.file("whole.dat"), samples));
    const std::string whole = ReadWholeFile(dir.file("whole.dat"));
    ASSERT_EQ("intact", readBack(whole));
    EXPECT_EQ("failed", readBack(whole.substr(0, 8) + std::string(1024, '\xFF'))) << "the signature alone is not enough";
    for (size_t length : {size_t(0), size_t(511), size_t(4096), whole.size() / 2, whole.size() - 512, whole.size() - 1})
        EXPECT_EQ("failed", readBack(whole.substr(0, length))) << "cut at " << length;
    // Bytes damaged anywhere else are the container reader fuzzer's.
}

}  // namespace
