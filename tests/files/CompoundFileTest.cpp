// Compound files written by our layer are read by an independent reader
// (python3-olefile) and by our own, byte for byte; the writing side keeps its rules:
// stream order, names, exclusive access, private files, durable commits, and write
// failures that never pass as success.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CompoundFileHelpers.h"
#include "SyncWatch.h"
#include "platform/File.h"
#include "support/TempDir.h"

using namespace platform;

namespace {

std::vector<SampleStream> Numbered(size_t count, size_t (*size)(size_t k)) {
    std::vector<SampleStream> streams;
    for (size_t k = 0; k < count; ++k) {
        char name[8];
        std::snprintf(name, sizeof name, "%05zu", k);
        streams.push_back({name, PatternBytes(size(k), unsigned(k))});
    }
    return streams;
}

mode_t ModeOf(const std::string& path) {
    struct stat st;
    EXPECT_EQ(0, ::stat(path.c_str(), &st));
    return st.st_mode & 07777;
}

TEST(CompoundFileInterop, BothReadersSeeEveryStream) {
    // 4096 bytes is where a stream leaves the small-block area; writes of 3000 bytes let
    // a stream grow past that limit in the middle of a write; the file header lists only
    // 109 allocation-table sectors (about 7 MB), beyond which the extension chain is needed.
    std::vector<SampleStream> mixed = Numbered(12, [](size_t k) { return k % 4 ? 540 + k * 7919 * (k % 3 + 1) : 540; });
    mixed.push_back({"index", PatternBytes(1460, 10)});
    const struct {
        const char* what;
        std::vector<SampleStream> streams;
        size_t chunk;
    } layouts[] = {
        {"block sizes", {{"index", PatternBytes(597, 1)}, {"empty", ""}, {"s4095", PatternBytes(4095, 2)},
                         {"s4096", PatternBytes(4096, 3)}, {"s200000", PatternBytes(200000, 4)}}, 65536},
        {"a store folder in small writes", mixed, 3000},
        {"beyond the header's table", {{"index", PatternBytes(560, 20)}, {"00000", PatternBytes(540 + 8 * 1024 * 1024, 21)}}, 65536},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.what);
        TempDir dir;
        const std::string path = dir.file("{A}.dat");
        ASSERT_EQ(kStorageOk, WriteCompound(path, layout.streams, layout.chunk));
        OlefileListing listing = ReadWithOlefile(path);
        ASSERT_EQ(0, listing.exitCode);
        EXPECT_EQ(layout.streams.size(), listing.streams.size());
        InStorage storage;
        ASSERT_EQ(kStorageOk, storage.Open(path));
        for (const SampleStream& sample : layout.streams) {
            EXPECT_EQ(sample.bytes.size(), listing.streams[sample.name].first) << sample.name;
            EXPECT_TRUE(sample.bytes == listing.streams[sample.name].second) << sample.name << " differs for olefile";
            // An odd read size crosses every block boundary at a different place; names
            // are found without regard to case.
            std::string bytes, upper = sample.name;
            for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
            ASSERT_EQ(kStorageOk, ReadWholeStream(storage, upper, bytes, 1000)) << sample.name;
            EXPECT_TRUE(sample.bytes == bytes) << sample.name << " differs for our reader";
        }
    }
}

// The root's entries come in the order of its directory tree, walked left, entry,
// right, whatever the tree's shape; what a storage holds is not the root's. A tree
// that comes round again or links to a free or missing entry is damage.
TEST(CompoundFileInterop, EntriesFollowTheDirectoryTree) {
    TempDir dir;
    const std::string path = dir.file("tree.dat");
    // "sub" (2) at the top, "b" (1) left of it, "Zeta" (3) and "00000" (4) to the right;
    // "inner" (5) is in "sub". Slots 6 and 7 of the directory are free.
    const std::vector<DirectoryNode> tree = {
        {"b", 2, kNoEntry, kNoEntry, kNoEntry},     {"sub", 1, 1, 3, 5},
        {"Zeta", 2, kNoEntry, 4, kNoEntry},         {"00000", 2, kNoEntry, kNoEntry, kNoEntry},
        {"inner", 2, kNoEntry, kNoEntry, kNoEntry},
    };
    WriteWholeFile(path, HandMadeCompound(2, tree));
    ASSERT_EQ(0, ReadWithOlefile(path).exitCode) << "not a compound file for olefile";
    InStorage storage;
    ASSERT_EQ(kStorageOk, storage.Open(path));
    std::string listed;
    for (const InStorage::Entry& entry : storage.Entries()) listed += entry.name + (entry.isStream ? " " : "/ ");
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

TEST(CompoundFileContract, OneStreamAtATimeWithValidUniqueNames) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    OutStorage storage;
    ASSERT_EQ(kStorageOk, storage.Create(path));
    OutStream first, second;
    ASSERT_EQ(kStorageOk, storage.CreateStream("index", first));
    EXPECT_EQ(kStorageAccessDenied, storage.CreateStream("00000", second));
    size_t written = 9;
    EXPECT_EQ(kStorageOk, first.Write(nullptr, 0, &written));
    EXPECT_EQ(0u, written);
    EXPECT_EQ(kStorageOk, first.Write("head", 4, &written));
    EXPECT_EQ(kStorageOk, first.Commit());
    EXPECT_EQ(kStorageReverted, first.Write("more", 4, &written));
    EXPECT_EQ(0u, written);
    EXPECT_EQ(kStorageFileAlreadyExists, storage.CreateStream("INDEX", second));
    for (const std::string& bad : {std::string(), std::string("a/b"), std::string(32, 'n')}) {
        EXPECT_EQ(kStorageInvalidName, storage.CreateStream(bad, second)) << bad;
    }
    ASSERT_EQ(kStorageOk, storage.CreateStream(std::string(31, 'n'), second));
    EXPECT_EQ(kStorageOk, second.Write("tail", 4, &written));
    // Committing the storage ends the open stream first, and makes the file durable.
    const int syncs = Syncs("fsync", path);
    ASSERT_EQ(kStorageOk, storage.Commit());
    EXPECT_LT(syncs, Syncs("fsync", path));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(kStorageReverted, storage.Commit());
    OlefileListing listing = ReadWithOlefile(path);
    EXPECT_EQ("head", listing.streams["index"].second);
    EXPECT_EQ("tail", listing.streams[std::string(31, 'n')].second);
}

TEST(CompoundFileContract, FilesAreHeldWhileWrittenAndShareableWhileRead) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    File file;
    {
        OutStorage writer, second;
        ASSERT_EQ(kStorageOk, writer.Create(path));
        EXPECT_FALSE(File::Open(path, File::Mode::Read, file).ok());
        EXPECT_EQ(kStorageShareViolation, second.Create(path));
        InStorage reader;
        EXPECT_EQ(kStorageShareViolation, reader.Open(path));
        OutStream stream;
        ASSERT_EQ(kStorageOk, writer.CreateStream("index", stream));
        size_t written;
        ASSERT_EQ(kStorageOk, stream.Write("x", 1, &written));
        stream.Release();
        ASSERT_EQ(kStorageOk, writer.Commit());
    }
    InStorage a, b;
    ASSERT_EQ(kStorageOk, a.Open(path));
    EXPECT_EQ(kStorageOk, b.Open(path));
    OutStorage writer;
    EXPECT_EQ(kStorageShareViolation, writer.Create(path));
    EXPECT_FALSE(File::Open(path, File::Mode::ReadWrite, file).ok());
    // A stream keeps working, and keeps the file, after its storage is let go.
    InStream stream;
    ASSERT_EQ(kStorageOk, a.OpenStream("index", stream));
    a.Release();
    b.Release();
    char byte = 0;
    size_t read = 0;
    EXPECT_EQ(kStorageOk, stream.Read(&byte, 1, &read));
    EXPECT_EQ('x', byte);
    EXPECT_EQ(kStorageOk, stream.Read(&byte, 1, &read));
    EXPECT_EQ(0u, read);
    EXPECT_EQ(kStorageShareViolation, writer.Create(path));
    stream.Release();
    EXPECT_EQ(kStorageOk, writer.Create(path));
}

TEST(CompoundFileContract, GivingUpWithoutCommitLeavesNothingReadable) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    ASSERT_EQ(kStorageOk, WriteCompound(path, {{"index", "old container"}}));
    {
        OutStorage storage;
        ASSERT_EQ(kStorageOk, storage.Create(path));
        OutStream stream;
        ASSERT_EQ(kStorageOk, storage.CreateStream("index", stream));
        std::string big = PatternBytes(100000, 9);
        size_t written;
        ASSERT_EQ(kStorageOk, stream.Write(big.data(), big.size(), &written));
        // The storage goes first, the stream after it, as a failing writer may do.
        storage.Release();
        EXPECT_EQ(kStorageReverted, stream.Write("x", 1, &written));
    }
    EXPECT_EQ(0u, ReadWholeFile(path).size());
    InStorage reader;
    EXPECT_FALSE(StorageSucceeded(reader.Open(path)));
    OutStorage unusable;
    OutStream stream;
    EXPECT_EQ(kStorageReverted, unusable.CreateStream("index", stream));
    EXPECT_EQ(kStorageReverted, unusable.Commit());
    EXPECT_EQ(kStorageFileNotFound, unusable.Create(dir.file("no folder/c.dat")));
}

// No open follows a link at the path: it could send a container's secrets, or take
// one, wherever it points. CreateNew takes only a free name, and a pipe at the path
// makes no open wait for the other end. Containers are private whatever the umask.
TEST(CompoundFileContract, LinksAndTakenNamesAreRefusedAndContainersArePrivate) {
    TempDir dir;
    const std::string container = dir.file("real.dat");
    WriteWholeFile(container, std::string(100000, 'x'));
    ASSERT_EQ(0, ::chmod(container.c_str(), 0644));
    ASSERT_EQ(kStorageOk, WriteCompound(container, {{"index", "kept"}}));
    EXPECT_EQ(0600u, ModeOf(container));
    const std::string before = ReadWholeFile(container);
    ASSERT_EQ(0, ::symlink(container.c_str(), dir.file("link.dat").c_str()));
    ASSERT_EQ(0, ::symlink(dir.file("target.dat").c_str(), dir.file("dangling.dat").c_str()));
    ASSERT_EQ(0, ::mkfifo(dir.file("pipe.dat").c_str(), 0600));
    enum Call { Open, Create, CreateNew };
    const struct {
        Call call;
        const char* name;
        StorageStatus expected;
    } cases[] = {
        {Open, "link.dat", kStorageAccessDenied},          {Open, "pipe.dat", kStorageAccessDenied},
        {Create, "link.dat", kStorageAccessDenied},        {Create, "dangling.dat", kStorageAccessDenied},
        {Create, "pipe.dat", kStorageAccessDenied},        {CreateNew, "real.dat", kStorageFileAlreadyExists},
        {CreateNew, "link.dat", kStorageFileAlreadyExists}, {CreateNew, "dangling.dat", kStorageFileAlreadyExists},
        {CreateNew, "pipe.dat", kStorageFileAlreadyExists},
    };
    for (const auto& c : cases) {
        InStorage reader;
        OutStorage writer;
        const std::string path = dir.file(c.name);
        StorageStatus status = c.call == Open ? reader.Open(path) : c.call == Create ? writer.Create(path) : writer.CreateNew(path);
        EXPECT_EQ(c.expected, status) << c.call << " " << c.name;
        EXPECT_FALSE(reader.IsOpen() || writer.IsOpen()) << c.call << " " << c.name;
    }
    EXPECT_EQ(before, ReadWholeFile(container));
    EXPECT_NE(0, ::access(dir.file("target.dat").c_str(), F_OK));

    // New files too: one umask opens them to all, one takes even the owner's write bit.
    for (mode_t mask : {mode_t(0), mode_t(0277)}) {
        const std::string fresh = dir.file("fresh" + std::to_string(mask)), freshNew = dir.file("new" + std::to_string(mask));
        const mode_t old = ::umask(mask);
        const StorageStatus status = WriteCompound(fresh, {{"index", "x"}});
        OutStorage storage;
        const StorageStatus statusNew = storage.CreateNew(freshNew);
        ::umask(old);
        EXPECT_EQ(kStorageOk, status) << mask;
        EXPECT_EQ(kStorageOk, statusNew) << mask;
        EXPECT_EQ(kStorageOk, storage.Commit());
        EXPECT_EQ(0600u, ModeOf(fresh)) << mask;
        EXPECT_EQ(0600u, ModeOf(freshNew)) << mask;
    }
}

// A store folder of thousands of files: every stream opens by name and reads back.
TEST(CompoundFileContract, EveryStreamOfABigContainerOpens) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    const std::vector<SampleStream> streams = Numbered(4000, [](size_t k) -> size_t { return k % 500 == 7 ? 5000 : k % 97 * 11; });
    ASSERT_EQ(kStorageOk, WriteCompound(path, streams));
    InStorage storage;
    ASSERT_EQ(kStorageOk, storage.Open(path));
    EXPECT_EQ(streams.size(), storage.Entries().size());
    for (const SampleStream& sample : streams) {
        std::string bytes;
        ASSERT_EQ(kStorageOk, ReadWholeStream(storage, sample.name, bytes)) << sample.name;
        ASSERT_TRUE(sample.bytes == bytes) << sample.name;
    }
}

// A file-size limit makes the file system refuse the data part way, as a full disk
// does; the failure must reach the caller, at the latest when the storage commits.
TEST(CompoundFileContract, AFullDiskFailsTheWriteOrTheCommit) {
    TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {64 * 1024, 64 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
        StorageStatus status = WriteCompound(dir.file("c.dat"), {{"index", PatternBytes(560, 1)}, {"00000", PatternBytes(200000, 2)}});
        ::_exit(status == kStorageMediumFull ? 0 : StorageSucceeded(status) ? 1 : 2);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "1: reported success, 2: another failure status";
}

}  // namespace
