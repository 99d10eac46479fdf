#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "support/TempDir.h"
#include "platform/Shell.h"
#include "platform/linux/ElfSectionReader.h"

namespace {

bool SameRecord(const platform::VersionRecord& a, const platform::VersionRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Raw bytes of the version section of a built fixture, for files made up by the tests.
std::vector<unsigned char> FixtureSection() {
    std::vector<unsigned char> bytes;
    platform::ElfSectionReader reader(FIXTURE_VERSIONED);
    EXPECT_TRUE(reader.ReadSection(".vbversion", 1 << 16, bytes));
    return bytes;
}

// A minimal ELF file with a name table and one version section, in either class and
// byte order; with extendedCounts the section count and name-table index are kept in
// the first section header, as large files do.
class ElfBuilder {
public:
    ElfBuilder(bool is64, bool bigEndian, bool extendedCounts)
        : is64_(is64), big_(bigEndian), extended_(extendedCounts) {}

    std::string Build(const std::vector<unsigned char>& section) {
        const std::string names = std::string("\0.shstrtab\0.vbversion\0", 22);
        size_t header = is64_ ? 64 : 52, entry = is64_ ? 64 : 40;
        size_t namesAt = header, sectionAt = namesAt + names.size();
        size_t tableAt = (sectionAt + section.size() + 7) & ~size_t(7);
        bytes_.assign(tableAt + 3 * entry, 0);
        const unsigned char ident[] = {0x7f, 'E', 'L', 'F', static_cast<unsigned char>(is64_ ? 2 : 1),
                                       static_cast<unsigned char>(big_ ? 2 : 1), 1};
        std::memcpy(bytes_.data(), ident, sizeof ident);
        std::memcpy(&bytes_[namesAt], names.data(), names.size());
        std::memcpy(&bytes_[sectionAt], section.data(), section.size());
        if (is64_) {
            Put(40, tableAt, 8);
            Put(52, header, 2);
            Put(58, entry, 2);
            Put(60, extended_ ? 0 : 3, 2);
            Put(62, extended_ ? 0xffff : 1, 2);
        } else {
            Put(32, tableAt, 4);
            Put(40, header, 2);
            Put(46, entry, 2);
            Put(48, extended_ ? 0 : 3, 2);
            Put(50, extended_ ? 0xffff : 1, 2);
        }
        if (extended_) Section(tableAt, 0, 0, 0, 3, 1);
        Section(tableAt + entry, 1, 3, namesAt, names.size(), 0);
        Section(tableAt + 2 * entry, 11, 1, sectionAt, section.size(), 0);
        return std::string(bytes_.begin(), bytes_.end());
    }

private:
    void Put(size_t at, uint64_t value, size_t width) {
        for (size_t i = 0; i < width; ++i)
            bytes_[at + (big_ ? width - 1 - i : i)] = static_cast<unsigned char>(value >> (8 * i));
    }
    void Section(size_t at, uint32_t name, uint32_t type, uint64_t offset, uint64_t size,
                 uint32_t link) {
        Put(at, name, 4);
        Put(at + 4, type, 4);
        if (is64_) {
            Put(at + 24, offset, 8);
            Put(at + 32, size, 8);
            Put(at + 40, link, 4);
        } else {
            Put(at + 16, offset, 4);
            Put(at + 20, size, 4);
            Put(at + 24, link, 4);
        }
    }

    bool is64_, big_, extended_;
    std::vector<unsigned char> bytes_;
};

}  // namespace

TEST(VersionRecord, TheProgramCarriesTheProjectVersion) {
    platform::VersionRecord record;
    ASSERT_TRUE(platform::ReadVersionRecord(platform::GetModuleFileName(), record));
    EXPECT_EQ(record.fileVersionMS, uint32_t(PROJECT_VERSION_MAJOR) << 16 | PROJECT_VERSION_MINOR);
    EXPECT_EQ(record.fileVersionLS, uint32_t(PROJECT_VERSION_PATCH) << 16 | PROJECT_VERSION_TWEAK);
    EXPECT_EQ(record.productVersionMS, record.fileVersionMS);
    EXPECT_EQ(record.productVersionLS, record.fileVersionLS);
    EXPECT_EQ(record.fileFlagsMask, 0x3Fu);
    EXPECT_EQ(record.fileFlags, 0u);
    EXPECT_EQ(record.fileOS, 4u);
    EXPECT_EQ(record.fileType, 1u);
}

TEST(VersionRecord, StringTable) {
    const std::string self = platform::GetModuleFileName();
    auto text = [&](const std::string& key) {
        std::string value = "unset";
        EXPECT_TRUE(platform::ReadVersionString(self, key, value)) << key;
        return value;
    };
    EXPECT_EQ(text("FileDescription"), "Veilbox");
    EXPECT_EQ(text("InternalName"), "Veilbox");
    EXPECT_EQ(text("ProductName"), "Veilbox");
    EXPECT_EQ(text("OriginalFilename"), "Veilbox.exe");
    EXPECT_EQ(text("FileVersion"), PROJECT_VERSION_TEXT " ");
    EXPECT_EQ(text("ProductVersion"), PROJECT_VERSION_TEXT " ");
    for (const char* key : {"CompanyName", "Comments", "LegalTrademarks", "PrivateBuild", "SpecialBuild"})
        EXPECT_EQ(text(key), "") << key;
    EXPECT_EQ(text("productname"), "Veilbox");

    std::string value = "kept";
    EXPECT_FALSE(platform::ReadVersionString(self, "LegalCopyright", value));
    EXPECT_FALSE(platform::ReadVersionString(self, "", value));
    EXPECT_FALSE(platform::ReadVersionString(FIXTURE_PLAIN, "ProductName", value));
    EXPECT_EQ(value, "kept");
}

TEST(VersionRecord, FilesWithoutRecord) {
    TempDir dir;
    WriteWholeFile(dir.file("text"), "plain text, long enough to look like a header....................");
    WriteWholeFile(dir.file("magic"), std::string("\x7f" "ELF", 4));
    WriteWholeFile(dir.file("empty"), "");
    platform::VersionRecord record;
    for (const std::string& path : {std::string(FIXTURE_PLAIN), dir.file("text"), dir.file("magic"),
                                    dir.file("empty"), dir.file("missing"), dir.path()}) {
        EXPECT_FALSE(platform::ReadVersionRecord(path, record)) << path;
    }
}

TEST(VersionRecord, EveryElfClassAndByteOrder) {
    std::vector<unsigned char> section = FixtureSection();
    ASSERT_FALSE(section.empty());
    platform::VersionRecord expected;
    ASSERT_TRUE(platform::ReadVersionRecord(FIXTURE_VERSIONED, expected));
    EXPECT_EQ(expected.fileVersionMS, 0x00030001u);
    EXPECT_EQ(expected.fileVersionLS, 0x0004009Fu);

    TempDir dir;
    for (int variant = 0; variant < 8; ++variant) {
        bool is64 = variant & 1, big = variant & 2, extended = variant & 4;
        SCOPED_TRACE(testing::Message() << "64-bit " << is64 << " big-endian " << big
                                        << " extended counts " << extended);
        std::string path = dir.file("elf" + std::to_string(variant));
        WriteWholeFile(path, ElfBuilder(is64, big, extended).Build(section));
        platform::VersionRecord record;
        ASSERT_TRUE(platform::ReadVersionRecord(path, record));
        EXPECT_TRUE(SameRecord(record, expected));
        std::string product;
        EXPECT_TRUE(platform::ReadVersionString(path, "FileVersion", product));
        EXPECT_EQ(product, "3.1.4.159 ");
    }
}

TEST(VersionRecord, DamagedRecordsAreRejected) {
    std::vector<unsigned char> section = FixtureSection();
    ASSERT_GE(section.size(), 52u);
    TempDir dir;
    auto read = [&](std::vector<unsigned char> bytes) {
        WriteWholeFile(dir.file("elf"), ElfBuilder(true, false, false).Build(bytes));
        platform::VersionRecord record;
        return platform::ReadVersionRecord(dir.file("elf"), record);
    };
    EXPECT_TRUE(read(section));
    EXPECT_FALSE(read(std::vector<unsigned char>(section.begin(), section.begin() + 51)));
    std::vector<unsigned char> wrongSignature = section;
    wrongSignature[0] ^= 1;
    EXPECT_FALSE(read(wrongSignature));

    // A string table without its terminators ends the lookup instead of running on.
    std::vector<unsigned char> cut(section.begin(), section.begin() + 52);
    for (char c : std::string("ProductName")) cut.push_back(static_cast<unsigned char>(c));
    WriteWholeFile(dir.file("elf"), ElfBuilder(true, false, false).Build(cut));
    std::string value;
    EXPECT_FALSE(platform::ReadVersionString(dir.file("elf"), "ProductName", value));
}

// Truncated and scrambled copies of a real program never crash the reader or read out
// of bounds (the sanitizer build watches), and never yield a different record.
TEST(VersionRecord, TruncatedAndScrambledFiles) {
    const std::string original = ReadWholeFile(FIXTURE_VERSIONED);
    platform::VersionRecord expected;
    ASSERT_TRUE(platform::ReadVersionRecord(FIXTURE_VERSIONED, expected));
    TempDir dir;
    const std::string path = dir.file("copy");
    platform::VersionRecord record;

    for (size_t length : {size_t(0), size_t(16), size_t(52), size_t(64), original.size() / 2,
                          original.size() - 1}) {
        WriteWholeFile(path, original.substr(0, length));
        EXPECT_FALSE(platform::ReadVersionRecord(path, record)) << length;
    }

    std::mt19937 random(20240601);
    size_t tail = std::min<size_t>(original.size(), 8192);
    for (int round = 0; round < 400; ++round) {
        std::string copy = original;
        int changes = 1 + round % 4;
        for (int i = 0; i < changes; ++i) {
            size_t at = random() % 2 ? random() % 64 : original.size() - 1 - random() % tail;
            copy[at] = static_cast<char>(random() % 3 == 0 ? 0xff : random());
        }
        WriteWholeFile(path, copy);
        if (platform::ReadVersionRecord(path, record)) {
            EXPECT_TRUE(SameRecord(record, expected)) << "round " << round;
        }
    }
}
