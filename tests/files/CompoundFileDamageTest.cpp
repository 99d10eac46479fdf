// Files that are not complete compound files give failure statuses, never a crash
// and never a success with wrong bytes.
#include <gtest/gtest.h>

#include <random>

#include "CompoundFileHelpers.h"
#include "support/TempDir.h"

using namespace platform;

namespace {

const std::vector<SampleStream>& SampleStreams() {
    static const std::vector<SampleStream> streams = {
        {"index", PatternBytes(700, 1)},
        {"00000", PatternBytes(540 + 3000, 2)},
        {"00001", PatternBytes(540 + 150000, 3)},
    };
    return streams;
}

// "intact" when every sample stream reads back as written, "wrong bytes" when one comes
// back different, "failed" when a call reports a failure.
std::string ReadBack(const std::string& path) {
    InStorage storage;
    StorageStatus status = storage.Open(path);
    for (size_t k = 0; StorageSucceeded(status) && k < SampleStreams().size(); ++k) {
        std::string bytes;
        status = ReadWholeStream(storage, SampleStreams()[k].name, bytes);
        if (StorageSucceeded(status) && bytes != SampleStreams()[k].bytes) return "wrong bytes";
    }
    return StorageSucceeded(status) ? "intact" : "failed";
}

TEST(CompoundFileDamage, FilesThatAreNotWholeCompoundFilesNeverReadAsGood) {
    TempDir dir;
    InStorage storage;
    EXPECT_EQ(kStorageFileNotFound, storage.Open(dir.file("missing.dat")));
    EXPECT_EQ(kStorageAccessDenied, storage.Open(dir.path()));
    // The signature alone is not enough.
    for (const std::string& bytes : {std::string(), std::string(5000, 'A'),
                                     "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(1024, '\xFF')}) {
        WriteWholeFile(dir.file("junk.dat"), bytes);
        const StorageStatus status = storage.Open(dir.file("junk.dat"));
        EXPECT_TRUE(bytes.size() > 5000 ? !StorageSucceeded(status) : status == kStorageInvalidHeader) << bytes.size();
        EXPECT_FALSE(storage.IsOpen());
    }

    const std::string path = dir.file("whole.dat");
    ASSERT_EQ(kStorageOk, WriteCompound(path, SampleStreams()));
    ASSERT_EQ(kStorageOk, storage.Open(path));
    InStream stream;
    EXPECT_EQ(kStorageFileNotFound, storage.OpenStream("00002", stream));
    EXPECT_EQ(kStorageInvalidName, storage.OpenStream("", stream));
    size_t read = 7;
    char byte;
    EXPECT_EQ(kStorageReverted, stream.Read(&byte, 1, &read));
    EXPECT_EQ(0u, read);

    const std::string whole = ReadWholeFile(path);
    ASSERT_EQ("intact", ReadBack(path));
    for (size_t length : {size_t(511), size_t(512), size_t(4096), whole.size() / 2, whole.size() - 512, whole.size() - 1}) {
        WriteWholeFile(dir.file("cut.dat"), whole.substr(0, length));
        EXPECT_EQ("failed", ReadBack(dir.file("cut.dat"))) << "cut at " << length;
    }
}

TEST(CompoundFileDamage, DamagedBytesNeverCrashTheReader) {
    TempDir dir;
    const std::string path = dir.file("whole.dat");
    ASSERT_EQ(kStorageOk, WriteCompound(path, SampleStreams()));
    const std::string whole = ReadWholeFile(path);
    const std::string damaged = dir.file("damaged.dat");
    std::mt19937 random(20240611);
    // Damage to unused bytes may leave a file intact; what matters is that every
    // round ends, with a status, under the sanitizers too.
    for (int round = 0; round < 150; ++round) {
        std::string bytes = whole;
        // Damage the header and the directory and tables at the end more often:
        // that is where a reader can be led astray.
        int hits = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < hits; ++i) {
            size_t at = random() % 3 == 0 ? random() % 512 : bytes.size() - 1 - random() % 3072;
            bytes[at] = static_cast<char>(random());
        }
        WriteWholeFile(damaged, bytes);
        ReadBack(damaged);
    }
}

}  // namespace
