// Version records: the one in this program, those of made-up ELF files of every class
// and byte order, damaged ones, and the version strings and program folder built on them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "app/VersionString.h"
#include "base/FileLocations.h"
#include "platform/Shell.h"
#include "platform/linux/ElfSectionReader.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace {

bool SameRecord(const platform::VersionRecord& a, const platform::VersionRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
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

TEST(VersionRecord, TheProgramCarriesTheProjectVersionAndItsStrings) {
    const std::string self = platform::GetModuleFileName();
    platform::VersionRecord record;
    ASSERT_TRUE(platform::ReadVersionRecord(self, record));
    EXPECT_EQ(record.fileVersionMS, uint32_t(PROJECT_VERSION_MAJOR) << 16 | PROJECT_VERSION_MINOR);
    EXPECT_EQ(record.fileVersionLS, uint32_t(PROJECT_VERSION_PATCH) << 16 | PROJECT_VERSION_TWEAK);
    EXPECT_EQ(record.productVersionMS, record.fileVersionMS);
    EXPECT_EQ(record.productVersionLS, record.fileVersionLS);
    EXPECT_EQ(std::make_tuple(record.fileFlagsMask, record.fileFlags, record.fileOS, record.fileType),
              std::make_tuple(0x3Fu, 0u, 4u, 1u));
    const std::pair<const char*, std::string> strings[] = {
        {"FileDescription", "Veilbox"}, {"InternalName", "Veilbox"}, {"productname", "Veilbox"},
        {"OriginalFilename", "Veilbox.exe"}, {"FileVersion", PROJECT_VERSION_TEXT " "},
        {"ProductVersion", PROJECT_VERSION_TEXT " "}, {"CompanyName", ""}, {"Comments", ""},
        {"LegalTrademarks", ""}, {"PrivateBuild", ""}, {"SpecialBuild", ""}};
    for (const auto& [key, expected] : strings) {
        std::string value = "unset";
        EXPECT_TRUE(platform::ReadVersionString(self, key, value)) << key;
        EXPECT_EQ(value, expected) << key;
    }
    std::string value = "kept";
    EXPECT_FALSE(platform::ReadVersionString(self, "LegalCopyright", value));
    EXPECT_FALSE(platform::ReadVersionString(self, "", value));
    EXPECT_FALSE(platform::ReadVersionString(FIXTURE_plain, "ProductName", value));
    EXPECT_EQ(value, "kept");
}

TEST(VersionRecord, EveryElfClassAndByteOrder) {
    std::vector<unsigned char> section;
    ASSERT_TRUE(platform::ElfSectionReader(FIXTURE_2_0_3_384).ReadSection(".vbversion", 1 << 16, section));
    platform::VersionRecord expected;
    ASSERT_TRUE(platform::ReadVersionRecord(FIXTURE_2_0_3_384, expected));
    EXPECT_EQ(expected.fileVersionMS, 0x00020000u);
    EXPECT_EQ(expected.fileVersionLS, 0x00030180u);
    TempDir dir;
    const std::string path = dir.file("elf");
    for (int variant = 0; variant < 8; ++variant) {
        SCOPED_TRACE(variant);  // bit 0: 64-bit, bit 1: big-endian, bit 2: extended counts
        WriteWholeFile(path, ElfBuilder(variant & 1, variant & 2, variant & 4).Build(section));
        platform::VersionRecord record;
        ASSERT_TRUE(platform::ReadVersionRecord(path, record));
        EXPECT_TRUE(SameRecord(record, expected));
        std::string text;
        EXPECT_TRUE(platform::ReadVersionString(path, "FileVersion", text));
        EXPECT_EQ(text, "2.0.3.384 ");
    }
    // Damaged records are rejected; a string table without its terminators ends the
    // lookup instead of running on.
    std::vector<unsigned char> wrongSignature = section, cut(section.begin(), section.begin() + 52);
    wrongSignature[0] ^= 1;
    for (char c : std::string("ProductName")) cut.push_back(static_cast<unsigned char>(c));
    platform::VersionRecord record;
    for (const auto& bytes : {std::vector<unsigned char>(section.begin(), section.begin() + 51), wrongSignature}) {
        WriteWholeFile(path, ElfBuilder(true, false, false).Build(bytes));
        EXPECT_FALSE(platform::ReadVersionRecord(path, record));
    }
    WriteWholeFile(path, ElfBuilder(true, false, false).Build(cut));
    std::string value;
    EXPECT_FALSE(platform::ReadVersionString(path, "ProductName", value));
}

// Files without a record, truncated and scrambled copies of a real program never crash
// the reader or read out of bounds (the sanitizer build watches), and never yield a
// different record.
TEST(VersionRecord, FilesWithoutARecordAndDamagedCopies) {
    const std::string original = ReadWholeFile(FIXTURE_2_0_3_384);
    platform::VersionRecord expected, record;
    ASSERT_TRUE(platform::ReadVersionRecord(FIXTURE_2_0_3_384, expected));
    TempDir dir;
    const std::string path = dir.file("copy");
    for (const std::string& bytes : {std::string("plain text, long enough to look like a header......"),
                                     std::string("\x7f" "ELF", 4), std::string(), original.substr(0, 16),
                                     original.substr(0, 64), original.substr(0, original.size() / 2),
                                     original.substr(0, original.size() - 1)}) {
        WriteWholeFile(path, bytes);
        EXPECT_FALSE(platform::ReadVersionRecord(path, record)) << bytes.size();
    }
    for (const std::string& other : {std::string(FIXTURE_plain), dir.file("missing"), dir.path()})
        EXPECT_FALSE(platform::ReadVersionRecord(other, record)) << other;

    std::mt19937 random(20240601);
    const size_t tail = std::min<size_t>(original.size(), 8192);
    for (int round = 0; round < 400; ++round) {
        std::string copy = original;
        for (int i = 0; i <= round % 4; ++i) {
            const size_t at = random() % 2 ? random() % 64 : original.size() - 1 - random() % tail;
            copy[at] = static_cast<char>(random() % 3 == 0 ? 0xff : random());
        }
        WriteWholeFile(path, copy);
        if (platform::ReadVersionRecord(path, record)) {
            EXPECT_TRUE(SameRecord(record, expected)) << "round " << round;
        }
    }
}

TEST(VersionString, FormsOfAVersion) {
    const struct {
        const char* program;
        int form;
        const char* text;
    } cases[] = {
        {FIXTURE_2_0_0_384, 0, "v2.0 (build 384)"}, {FIXTURE_2_0_0_384, 1, "v2.0.384"},
        {FIXTURE_2_0_0_384, 2, "v2.0"},              {FIXTURE_2_0_0_384, 3, "v2.0"},
        {FIXTURE_2_0_3_384, 0, "v2.03 (build 384)"}, {FIXTURE_2_0_3_384, 1, "v2.03.384"},  // patch without separator
        {FIXTURE_1_5_0_10, 0, "v1.5"},               {FIXTURE_1_5_0_10, 1, "v1.5"},        // builds up to ten hidden
        {FIXTURE_1_5_0_11, 0, "v1.5 (build 11)"},    {FIXTURE_1_5_0_11, 1, "v1.5.11"},
        {FIXTURE_plain, 0, "v?.?"},                  {FIXTURE_plain, 1, "v?.?"},
        {"/nonexistent", 0, "v?.?"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatVersionString(c.program, c.form), c.text) << c.program << " " << c.form;
    EXPECT_EQ(GetBuildNumber(FIXTURE_1_5_0_10), 10);
    EXPECT_EQ(GetBuildNumber(FIXTURE_plain), 0);
    // The empty path means the running program.
    EXPECT_EQ(GetBuildNumber(""), PROJECT_VERSION_TWEAK);
    EXPECT_EQ(FormatVersionString("", 0), FormatVersionString(GetModulePath(), 0));
    EXPECT_NE(FormatVersionString("", 0), "v?.?");
}

TEST(FileLocations, ProgramFolderFoldsOneWholeBuildFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"/apps/tool/prog", "/apps/tool/"},         {"/apps/tool/Debug/prog", "/apps/tool/"},
        {"/apps/tool/debug/prog", "/apps/tool/"},   {"/apps/tool/RELEASE/prog", "/apps/tool/"},
        {"/debug/prog", "/"},                       {"/apps/Debugger/prog", "/apps/Debugger/"},
        {"/apps/prerelease/prog", "/apps/prerelease/"}, {"/apps/release/debug/prog", "/apps/release/"},
        {"/apps/debug/tool/prog", "/apps/debug/tool/"}, {"prog", ""}, {"debug/prog", "debug/"},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(GetProgramFolder(path), folder) << path;
    const std::string module = GetModulePath();
    EXPECT_TRUE(std::filesystem::equivalent(module, "/proc/self/exe"));
    EXPECT_EQ(GetProgramFilePath("auth.dat"), GetProgramFolder(module) + "auth.dat");
    for (const auto& [path, stripped] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"/", ""}, {"/home/u/Documents", "/home/u/Documents"}, {"/home/u/Documents/", "/home/u/Documents"},
             {"/home/u//", "/home/u/"}}) {
        EXPECT_EQ(StripTrailingBackslash(path), stripped) << path;
    }
}

TEST(FileLocations, DocumentsFolderFollowsUserDirsAndIsMadePrivate) {
    TempDir home;
    ScopedEnvironment environment;
    environment.Set("HOME", home.path());
    environment.Set("XDG_CONFIG_HOME", home.path() + "/config");
    std::filesystem::create_directories(home.path() + "/config");
    const auto documents = [&](const std::string& userDirs) {
        WriteWholeFile(home.path() + "/config/user-dirs.dirs", userDirs);
        return GetSpecialFolder(CSIDL_PERSONAL);
    };
    EXPECT_EQ(GetSpecialFolder(0), "");
    EXPECT_EQ(GetSpecialFolder(26), "");
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/Documents")) << "other folders create nothing";

    // A relative path or a missing quote is not a usable entry: the default is used.
    EXPECT_EQ(documents("XDG_DOCUMENTS_DIR=\"docs\"\nXDG_DOCUMENTS_DIR=$HOME/x\n"), home.path() + "/Documents");
    struct stat info {};
    ASSERT_EQ(::stat((home.path() + "/Documents").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(GetDocumentsFilePath("{id}.dat"), home.path() + "/Documents/{id}.dat");

    EXPECT_EQ(documents("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                        "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n  XDG_DOCUMENTS_DIR = \"$HOME/My \\\"Docs\\\"/inner/\"\n"),
              home.path() + "/My \"Docs\"/inner");
    EXPECT_TRUE(std::filesystem::is_directory(home.path() + "/My \"Docs\"/inner"));
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/Papers"));
    EXPECT_EQ(documents("XDG_DOCUMENTS_DIR=\"" + home.path() + "/abs\"\n"), home.path() + "/abs");

    // A folder that cannot be made gives no folder, and names land in the root folder.
    WriteWholeFile(home.path() + "/blocker", "a file where a folder should be");
    EXPECT_EQ(documents("XDG_DOCUMENTS_DIR=\"$HOME/blocker/docs\"\n"), "");
    EXPECT_EQ(GetDocumentsFilePath("x.dat"), "/x.dat");
}
