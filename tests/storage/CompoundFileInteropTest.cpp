// Files written by our compound-file layer are read by an independent reader
// (python3-olefile) and by our own reader, byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CompoundFileHelpers.h"
#include "support/TempDir.h"

using namespace platform;

namespace {

void ExpectBothReadersSee(const std::string& path, const std::vector<SampleStream>& streams) {
    OlefileListing listing = ReadWithOlefile(path);
    ASSERT_EQ(0, listing.exitCode);
    ASSERT_EQ(streams.size(), listing.streams.size());
    for (const SampleStream& sample : streams) {
        auto found = listing.streams.find(sample.name);
        ASSERT_NE(listing.streams.end(), found) << sample.name;
        EXPECT_EQ(sample.bytes.size(), found->second.first) << sample.name;
        EXPECT_TRUE(sample.bytes == found->second.second) << sample.name << " differs for olefile";
    }

    InStorage storage;
    ASSERT_EQ(kStorageOk, storage.Open(path));
    for (const SampleStream& sample : streams) {
        // An odd read size crosses every block boundary at a different place.
        std::string bytes;
        ASSERT_EQ(kStorageOk, ReadWholeStream(storage, sample.name, bytes, 1000)) << sample.name;
        EXPECT_TRUE(sample.bytes == bytes) << sample.name << " differs for our reader";
    }
}

mode_t PermissionsOf(const std::string& path) {
    struct stat st;
    EXPECT_EQ(0, ::stat(path.c_str(), &st));
    return st.st_mode & 07777;
}

TEST(CompoundFileInterop, StreamsAroundTheBlockSizesSurviveBothReaders) {
    TempDir dir;
    const std::string path = dir.file("{A}.dat");
    // 4096 bytes is where a stream leaves the small-block area for the big blocks.
    std::vector<SampleStream> streams = {
        {"index", PatternBytes(560 + 37, 1)},
        {"empty", ""},
        {"s4095", PatternBytes(4095, 2)},
        {"s4096", PatternBytes(4096, 3)},
        {"s200000", PatternBytes(200000, 4)},
    };
    ASSERT_EQ(kStorageOk, WriteCompound(path, streams));
    ExpectBothReadersSee(path, streams);
}

TEST(CompoundFileInterop, ManyStreamsInTheContainerLayout) {
    TempDir dir;
    const std::string path = dir.file("{B}.dat");
    std::vector<SampleStream> streams = {{"index", PatternBytes(560 + 900, 10)}};
    for (int k = 0; k < 12; ++k) {
        char name[8];
        std::snprintf(name, sizeof name, "%05d", k);
        // A mix of empty, small and big streams, as a store folder has.
        size_t size = k % 4 == 0 ? 540 : 540 + static_cast<size_t>(k) * 7919 * (k % 3 + 1);
        streams.push_back({name, PatternBytes(size, 100 + k)});
    }
    // Small writes: a stream grows past the small-block limit in the middle of a write.
    ASSERT_EQ(kStorageOk, WriteCompound(path, streams, 3000));
    ExpectBothReadersSee(path, streams);

    // Names are found without regard to case, as on Windows.
    InStorage storage;
    ASSERT_EQ(kStorageOk, storage.Open(path));
    std::string bytes;
    EXPECT_EQ(kStorageOk, ReadWholeStream(storage, "INDEX", bytes));
    EXPECT_TRUE(streams[0].bytes == bytes);
}

// The file header lists the first 109 allocation-table sectors, about 7 MB of data;
// a bigger store needs the extension chain, which both readers must follow.
TEST(CompoundFileInterop, ContainersBeyondTheHeaderAllocationTable) {
    TempDir dir;
    const std::string path = dir.file("{E}.dat");
    std::vector<SampleStream> streams = {
        {"index", PatternBytes(560, 20)},
        {"00000", PatternBytes(540 + 8 * 1024 * 1024, 21)},
        {"00001", PatternBytes(540 + 1234, 22)},
    };
    ASSERT_EQ(kStorageOk, WriteCompound(path, streams));
    EXPECT_GT(ReadWholeFile(path).size(), 8u * 1024 * 1024);
    ExpectBothReadersSee(path, streams);
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
    EXPECT_EQ(0u, stream.Size());

    const struct {
        const char* what;
        uint32_t rightOfLast;  // the right link of "00000"
    } damage[] = {{"a cycle", 2}, {"a free entry", 7}, {"past the directory", 8}, {"far off", 0x7FFFFFFF}};
    for (const auto& d : damage) {
        std::vector<DirectoryNode> broken = tree;
        broken[3].right = d.rightOfLast;
        WriteWholeFile(path, HandMadeCompound(2, broken));
        EXPECT_EQ(kStorageInvalidHeader, storage.Open(path)) << d.what;
        EXPECT_TRUE(storage.Entries().empty()) << d.what;
    }
}

TEST(CompoundFileInterop, ContainerIsPrivateAndReplacesAnOldFile) {
    TempDir dir;
    const std::string path = dir.file("{C}.dat");
    WriteWholeFile(path, std::string(100000, 'x'));
    ASSERT_EQ(0, ::chmod(path.c_str(), 0644));
    std::vector<SampleStream> streams = {{"index", PatternBytes(560, 5)}};
    ASSERT_EQ(kStorageOk, WriteCompound(path, streams));
    EXPECT_EQ(0600u, PermissionsOf(path));
    ExpectBothReadersSee(path, streams);

    // New files too, whatever the umask: one that opens them to all, one that takes
    // even the owner's write bit.
    for (mode_t mask : {mode_t(0), mode_t(0277)}) {
        const std::string fresh = dir.file("{D}.dat"), freshNew = dir.file("{E}.dat");
        mode_t old = ::umask(mask);
        StorageStatus status = WriteCompound(fresh, streams);
        OutStorage storage;
        StorageStatus statusNew = storage.CreateNew(freshNew);
        ::umask(old);
        ASSERT_EQ(kStorageOk, status) << mask;
        ASSERT_EQ(kStorageOk, statusNew) << mask;
        EXPECT_EQ(kStorageOk, storage.Commit());
        EXPECT_EQ(0600u, PermissionsOf(fresh)) << mask;
        EXPECT_EQ(0600u, PermissionsOf(freshNew)) << mask;
        ASSERT_EQ(0, ::unlink(fresh.c_str()));
        ASSERT_EQ(0, ::unlink(freshNew.c_str()));
    }
}

}  // namespace
