// Compound files: our reader reads back byte for byte what the writer wrote and walks
// hand-made directory trees in their order; the writer keeps its rules; damaged files
// give failure statuses, never a crash or wrong bytes.
#include <random>

#include "FilesTest.h"

namespace {

std::vector<SampleStream> Numbered(size_t count, size_t (*size)(size_t k)) {
    std::vector<SampleStream> streams;
    for (size_t k = 0; k < count; ++k) streams.push_back({std::string(5 - std::to_string(k).size(), '0') + std::to_string(k), PatternBytes(size(k), unsigned(k))});
    return streams;
}

TEST(CompoundFile, EveryStreamReadsBackWhateverItsSizeAndHowItWasWritten) {
    // 4096 bytes is where a stream leaves the small-block area, and writes of 3000 bytes
    // let it grow past that limit inside a write; the file header lists only 109
    // allocation-table sectors (about 7 MB), beyond which the extension chain is
    // needed; thousands of entries fill many directory sectors.
    const struct {
        std::vector<SampleStream> streams;
        size_t chunk;
    } layouts[] = {
        {{{"index", PatternBytes(597, 1)}, {"empty", ""}, {"s4095", PatternBytes(4095, 2)}, {"s4096", PatternBytes(4096, 3)}}, 65536},
        {Numbered(12, [](size_t k) { return k % 4 ? 540 + k * 7919 * (k % 3 + 1) : 540; }), 3000},
        {{{"index", PatternBytes(560, 20)}, {"00000", PatternBytes(8 << 20, 21)}}, 65536},
        {Numbered(4000, [](size_t k) -> size_t { return k % 500 == 7 ? 5000 : k % 97 * 11; }), 65536},
    };
    for (const auto& layout : layouts) {
        TempDir dir;
        ASSERT_EQ(kStorageOk, WriteCompound(dir.file("c.dat"), layout.streams, layout.chunk));
        InStorage storage;
        ASSERT_EQ(kStorageOk, storage.Open(dir.file("c.dat")));
        EXPECT_EQ(layout.streams.size(), storage.Entries().size());
        for (const SampleStream& sample : layout.streams) {
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
// durable; the file is held while written and shared while read; a writer let go
// without a commit leaves nothing that could pass for a container.
TEST(CompoundFile, TheWriterKeepsItsRules) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    OutStorage storage, second;
    ASSERT_EQ(kStorageOk, storage.Create(path));
    EXPECT_EQ(kStorageShareViolation, second.Create(path));
    InStorage reader;
    EXPECT_EQ(kStorageShareViolation, reader.Open(path));
    OutStream first, next;
    ASSERT_EQ(kStorageOk, storage.CreateStream("index", first));
    EXPECT_EQ(kStorageAccessDenied, storage.CreateStream("00000", next));
    size_t count = 9;
    EXPECT_EQ(kStorageOk, first.Write("head", 4, &count));
    EXPECT_EQ(kStorageOk, first.Commit());
    EXPECT_EQ(kStorageReverted, first.Write("more", 4, &count));
    EXPECT_EQ(0u, count);
    for (const std::string& bad : {std::string(), std::string("a/b"), std::string(32, 'n')})
        EXPECT_EQ(kStorageInvalidName, storage.CreateStream(bad, next)) << bad;
    EXPECT_EQ(kStorageFileAlreadyExists, storage.CreateStream("INDEX", next));
    ASSERT_EQ(kStorageOk, storage.CreateStream(std::string(31, 'n'), next));
    EXPECT_EQ(kStorageOk, next.Write("tail", 4, &count));
    const int syncs = Syncs("fsync", path);
    ASSERT_EQ(kStorageOk, storage.Commit());
    EXPECT_LT(syncs, Syncs("fsync", path));
    EXPECT_EQ(kStorageReverted, storage.Commit());

    InStorage a, b;
    ASSERT_EQ(kStorageOk, a.Open(path));
    ASSERT_EQ(kStorageOk, b.Open(path));
    std::string head, tail;
    EXPECT_EQ(kStorageOk, ReadWholeStream(a, "index", head));
    EXPECT_EQ(kStorageOk, ReadWholeStream(b, std::string(31, 'n'), tail));
    EXPECT_EQ("head tail", head + " " + tail);
    // A stream keeps the file after its storage is let go.
    InStream in;
    ASSERT_EQ(kStorageOk, a.OpenStream("index", in));
    a.Release();
    b.Release();
    EXPECT_EQ(kStorageShareViolation, storage.Create(path));
    in.Release();

    // The storage goes first, the stream after it, as a failing writer may do.
    ASSERT_EQ(kStorageOk, storage.Create(path));
    ASSERT_EQ(kStorageOk, storage.CreateStream("index", first));
    const std::string big = PatternBytes(100000, 9);
    ASSERT_EQ(kStorageOk, first.Write(big.data(), big.size(), &count));
    storage.Release();
    EXPECT_EQ(kStorageReverted, first.Write("x", 1, &count));
    EXPECT_EQ("", ReadWholeFile(path));
    EXPECT_EQ(kStorageReverted, storage.Commit());
    EXPECT_EQ(kStorageFileNotFound, storage.Create(dir.file("no folder/c.dat")));
}

// No open follows a link at the path: it could send a container's secrets, or take
// one, wherever it points. CreateNew takes only a free name, and a pipe at the path
// makes no open wait for the other end. Containers are private whatever the umask.
TEST(CompoundFile, LinksAndTakenNamesAreRefusedAndContainersArePrivate) {
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
    for (const std::string& path : {dir.file("link.dat"), dir.file("dangling.dat"), dir.file("pipe.dat"), container}) {
        InStorage reader;
        OutStorage writer;
        if (path != container) EXPECT_EQ(kStorageAccessDenied, writer.Create(path)) << path;
        if (path != container && path != dir.file("dangling.dat")) EXPECT_EQ(kStorageAccessDenied, reader.Open(path)) << path;
        EXPECT_EQ(kStorageFileAlreadyExists, writer.CreateNew(path)) << path;
        EXPECT_FALSE(reader.IsOpen() || writer.IsOpen()) << path;
    }
    EXPECT_EQ(before, ReadWholeFile(container));
    EXPECT_FALSE(FileExists(dir.file("target.dat")));
    // One umask opens new files to all, one takes even the owner's write bit.
    for (mode_t mask : {mode_t(0), mode_t(0277)}) {
        const std::string made = dir.file("made" + std::to_string(mask)), madeNew = dir.file("new" + std::to_string(mask));
        const mode_t old = ::umask(mask);
        const StorageStatus status = WriteCompound(made, {{"index", "x"}});
        OutStorage storage;
        const StorageStatus statusNew = storage.CreateNew(madeNew);
        ::umask(old);
        EXPECT_TRUE(status == kStorageOk && statusNew == kStorageOk && storage.Commit() == kStorageOk) << mask;
        EXPECT_EQ(0600u, ModeOf(made)) << mask;
        EXPECT_EQ(0600u, ModeOf(madeNew)) << mask;
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
    InStorage storage;
    EXPECT_EQ(kStorageFileNotFound, storage.Open(dir.file("missing.dat")));
    EXPECT_EQ(kStorageAccessDenied, storage.Open(dir.path()));
    // The signature alone is not enough.
    for (const std::string& bytes : {std::string(), std::string(5000, 'A'), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(1024, '\xFF')})
        EXPECT_EQ("failed", readBack(bytes)) << bytes.size();
    ASSERT_EQ(kStorageOk, WriteCompound(dir.file("whole.dat"), samples));
    const std::string whole = ReadWholeFile(dir.file("whole.dat"));
    ASSERT_EQ("intact", readBack(whole));
    for (size_t length : {size_t(511), size_t(512), size_t(4096), whole.size() / 2, whole.size() - 512, whole.size() - 1})
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
