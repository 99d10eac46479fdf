// Compound files: our reader reads back byte for byte what the writer wrote and walks
// hand-made directory trees in their order; the writer keeps its rules; damaged files
// give failure statuses, never a crash or wrong bytes.
#include <random>

#include "FilesTest.h"

namespace {

std::vector<SampleStream> Numbered(size_t count, size_t (*size)(size_t k)) {
    std::vector<SampleStream> streams;
    for (size_t k = 0; k < count; ++k) {
        const std::string digits = std::to_string(k);
        streams.push_back({std::string(5 - digits.size(), '0') + digits, PatternBytes(size(k), unsigned(k))});
    }
    return streams;
}

TEST(CompoundFile, EveryStreamReadsBackWhateverItsSizeAndHowItWasWritten) {
    // 4096 bytes is where a stream leaves the small-block area, and writes of 3000 bytes
    // let it grow past that limit inside a write; the file header lists only 109
    // allocation-table sectors (about 7 MB), beyond which the extension chain is
    // needed; thousands of entries fill many directory sectors.
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
            // An odd read size crosses every block boundary at a different place; names
            // are found without regard to case.
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

// One stream at a time, with valid unique names; a commit ends the open stream and is
// durable; the file is held while written; a writer let go without a commit leaves
// nothing that could pass for a container.
TEST(CompoundFile, TheWriterKeepsItsRules) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    OutStorage storage, second;
    ASSERT_EQ(kStorageOk, storage.Create(path));
    EXPECT_EQ(kStorageShareViolation, second.Create(path));
    OutStream first, next;
    ASSERT_EQ(kStorageOk, storage.CreateStream("index", first));
    EXPECT_EQ(kStorageAccessDenied, storage.CreateStream("00000", next));
    size_t count = 9;
    EXPECT_EQ(kStorageOk, first.Commit());
    EXPECT_EQ(kStorageReverted, first.Write("more", 4, &count));
    EXPECT_EQ(0u, count);
    for (const std::string& bad : {std::string(), std::string("a/b"), std::string(32, 'n'), std::string("INDEX")})
        EXPECT_FALSE(StorageSucceeded(storage.CreateStream(bad, next))) << bad;
    ASSERT_EQ(kStorageOk, storage.CreateStream(std::string(31, 'n'), next));
    EXPECT_EQ(kStorageOk, next.Write("tail", 4, &count));
    const int syncs = Syncs("fsync", path);
    ASSERT_EQ(kStorageOk, storage.Commit());
    EXPECT_LT(syncs, Syncs("fsync", path));
    InStorage reader;
    std::string tail;
    ASSERT_EQ(kStorageOk, reader.Open(path));
    EXPECT_EQ(kStorageOk, ReadWholeStream(reader, std::string(31, 'n'), tail));
    EXPECT_EQ("tail", tail);
    EXPECT_EQ(kStorageShareViolation, storage.Create(path)) << "nobody writes what is being read";
    reader.Release();
    // The storage goes first, the stream after it, as a failing writer may do.
    ASSERT_EQ(kStorageOk, storage.Create(path));
    ASSERT_EQ(kStorageOk, storage.CreateStream("index", first));
    const std::string big = PatternBytes(100000, 9);
    ASSERT_EQ(kStorageOk, first.Write(big.data(), big.size(), &count));
    storage.Release();
    EXPECT_EQ(kStorageReverted, first.Write("x", 1, &count));
    EXPECT_EQ("", ReadWholeFile(path));
}

// No open follows a link at the path: it could send a container's secrets, or take
// one, wherever it points. CreateNew takes only a free name, and a pipe at the path
// makes no open wait for the other end. Containers are private whatever the umask.
TEST(CompoundFile, LinksAndTakenNamesAreRefusedAndContainersArePrivate) {
    TempDir dir;
    const std::string container = dir.file("real.dat");
    WriteWholeFile(container, std::string(100000, 'x'));
    ASSERT_EQ(0, ::chmod(container.c_str(), 0644) | ::symlink(container.c_str(), dir.file("link").c_str()) |
                     ::symlink(dir.file("absent").c_str(), dir.file("dangling").c_str()) | ::mkfifo(dir.file("pipe").c_str(), 0600));
    ASSERT_EQ(kStorageOk, WriteCompound(container, {{"index", "kept"}}));
    EXPECT_EQ(0600u, ModeOf(container));
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
    // One umask opens new files to all, one takes even the owner's write bit.
    for (mode_t mask : {mode_t(0), mode_t(0277)}) {
        const std::string made = dir.file("made" + std::to_string(mask)), madeNew = dir.file("new" + std::to_string(mask));
        const mode_t old = ::umask(mask);
        const StorageStatus status = WriteCompound(made, {{"index", "x"}}), statusNew = writer.CreateNew(madeNew);
        ::umask(old);
        EXPECT_TRUE(status == kStorageOk && statusNew == kStorageOk && writer.Commit() == kStorageOk) << mask;
        EXPECT_EQ(std::make_pair(0600u, 0600u), std::make_pair(ModeOf(made), ModeOf(madeNew))) << mask;
    }
}

TEST(CompoundFileDamage, FilesThatAreNotWholeCompoundFilesNeverReadAsGood) {
    const std::vector<SampleStream> samples = {
        {"index", PatternBytes(700, 1)}, {"00000", PatternBytes(3540, 2)}, {"00001", PatternBytes(150540, 3)}};
    // "intact" when every sample reads back as written, "wrong bytes" when one comes back
    // different, "failed" when a call reports a failure.
    const auto readBack = [&](const std::string& bytes) -> std::string {
        TempDir dir;
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
    TempDir dir;
    ASSERT_EQ(kStorageOk, WriteCompound(dir.file("whole.dat"), samples));
    const std::string whole = ReadWholeFile(dir.file("whole.dat"));
    ASSERT_EQ("intact", readBack(whole));
    // The signature alone is not enough.
    for (const std::string& bytes : {std::string(5000, 'A'), whole.substr(0, 8) + std::string(1024, '\xFF')})
        EXPECT_EQ("failed", readBack(bytes));
    for (size_t length : {size_t(0), size_t(511), size_t(4096), whole.size() / 2, whole.size() - 512, whole.size() - 1})
        EXPECT_EQ("failed", readBack(whole.substr(0, length))) << "cut at " << length;
    // Damage to unused bytes may leave a file intact; what matters is that every round
    // ends, with a status, under the sanitizers too. The header and the directory and
    // tables at the end are hit more often: that is where a reader can be led astray.
    std::mt19937 random(20240611);
    for (int round = 0; round < 150; ++round) {
        std::string bytes = whole;
        for (int hits = 1 + int(random() % 8); hits > 0; --hits)
            bytes[random() % 3 == 0 ? random() % 512 : bytes.size() - 1 - random() % 3072] = char(random());
        readBack(bytes);
    }
}

}  // namespace
