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

// A minimal ELF file holding `section` as .vbversion beside a name table, in either class
// and byte order; with extended counts the section count and name-table index live in
// the first section header, as large files keep them.
std::string Elf(bool is64, bool big, bool extended, const std::vector<unsigned char>& section) {
    const std::string names("\0.shstrtab\0.vbversion\0", 22);
    const size_t header = is64 ? 64 : 52, entry = is64 ? 64 : 40, sectionAt = header + names.size(), w = is64 ? 8 : 4;
    const size_t tableAt = (sectionAt + section.size() + 7) & ~size_t(7), e = is64 ? 52 : 40;
    std::string b(tableAt + 3 * entry, '\0');
    const auto put = [&](size_t at, uint64_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) b[at + (big ? width - 1 - i : i)] = char(value >> (8 * i));
    };
    b.replace(0, 7, std::string{'\x7f', 'E', 'L', 'F', char(is64 ? 2 : 1), char(big ? 2 : 1), 1});
    b.replace(header, names.size(), names);
    std::copy(section.begin(), section.end(), b.begin() + sectionAt);
    put(is64 ? 40 : 32, tableAt, w);
    put(e, header, 2), put(e + 6, entry, 2), put(e + 8, extended ? 0 : 3, 2), put(e + 10, extended ? 0xffff : 1, 2);
    const auto sectionHeader = [&](size_t at, uint32_t name, uint32_t type, uint64_t offset, uint64_t size, uint32_t link) {
        put(at, name, 4), put(at + 4, type, 4), put(at + (is64 ? 24 : 16), offset, w), put(at + (is64 ? 32 : 20), size, w);
        put(at + (is64 ? 40 : 24), link, 4);
    };
    if (extended) sectionHeader(tableAt, 0, 0, 0, 3, 1);
    sectionHeader(tableAt + entry, 1, 3, header, names.size(), 0);
    sectionHeader(tableAt + 2 * entry, 11, 1, sectionAt, section.size(), 0);
    return b;
}

bool Same(const platform::VersionRecord& a, const platform::VersionRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(VersionRecord, TheProgramCarriesTheProjectVersionAndItsStrings) {
    const std::string self = platform::GetModuleFileName();
    platform::VersionRecord record;
    ASSERT_TRUE(platform::ReadVersionRecord(self, record));
    EXPECT_EQ(record.fileVersionMS, uint32_t(PROJECT_VERSION_MAJOR) << 16 | PROJECT_VERSION_MINOR);
    EXPECT_EQ(record.fileVersionLS, uint32_t(PROJECT_VERSION_PATCH) << 16 | PROJECT_VERSION_TWEAK);
    EXPECT_EQ(std::make_pair(record.productVersionMS, record.productVersionLS), std::make_pair(record.fileVersionMS, record.fileVersionLS));
    const std::pair<const char*, std::string> strings[] = {
        {"productname", "Veilbox"}, {"OriginalFilename", "Veilbox.exe"}, {"FileVersion", PROJECT_VERSION_TEXT " "}, {"Comments", ""}};
    for (const auto& [key, expected] : strings) {
        std::string value = "unset";
        EXPECT_TRUE(platform::ReadVersionString(self, key, value)) << key;
        EXPECT_EQ(value, expected) << key;
    }
    std::string value = "kept";
    EXPECT_FALSE(platform::ReadVersionString(self, "LegalCopyright", value) || platform::ReadVersionString(self, "", value) ||
                 platform::ReadVersionString(FIXTURE_plain, "ProductName", value));
    EXPECT_EQ(value, "kept");
}

// Every class, byte order and way of counting sections gives the same record; damaged
// records, files without one, and truncated and scrambled copies of a real program never
// yield a different record or read out of bounds (the sanitizer build watches).
TEST(VersionRecord, AnyElfLayoutAndNeverFromDamagedFiles) {
    std::vector<unsigned char> section;
    ASSERT_TRUE(platform::ElfSectionReader(FIXTURE_2_0_3_384).ReadSection(".vbversion", 1 << 16, section));
    platform::VersionRecord expected, record;
    ASSERT_TRUE(platform::ReadVersionRecord(FIXTURE_2_0_3_384, expected));
    EXPECT_EQ(std::make_pair(expected.fileVersionMS, expected.fileVersionLS), std::make_pair(0x00020000u, 0x00030180u));
    TempDir dir;
    const std::string path = dir.file("elf");
    for (int variant = 0; variant < 8; ++variant) {  // bit 0: 64-bit, bit 1: big-endian, bit 2: extended counts
        WriteWholeFile(path, Elf(variant & 1, variant & 2, variant & 4, section));
        std::string text;
        EXPECT_TRUE(platform::ReadVersionRecord(path, record) && Same(record, expected)) << variant;
        EXPECT_TRUE(platform::ReadVersionString(path, "FileVersion", text) && text == "2.0.3.384 ") << variant;
    }
    // A string table without its terminators ends the lookup instead of running on.
    std::vector<unsigned char> wrongSignature = section, cut(section.begin(), section.begin() + 52);
    wrongSignature[0] ^= 1;
    for (char c : std::string("ProductName")) cut.push_back(static_cast<unsigned char>(c));
    std::string value;
    WriteWholeFile(path, Elf(true, false, false, cut));
    EXPECT_FALSE(platform::ReadVersionString(path, "ProductName", value));
    const std::string original = ReadWholeFile(FIXTURE_2_0_3_384);
    for (const std::string& bytes : {Elf(true, false, false, {section.begin(), section.begin() + 51}), Elf(true, false, false, wrongSignature),
                                     std::string("plain text, long enough to look like a header......"), std::string("\x7f" "ELF", 4),
                                     std::string(), original.substr(0, 64), original.substr(0, original.size() / 2),
                                     original.substr(0, original.size() - 1)}) {
        WriteWholeFile(path, bytes);
        EXPECT_FALSE(platform::ReadVersionRecord(path, record)) << bytes.size();
    }
    for (const std::string& other : {std::string(FIXTURE_plain), dir.file("missing"), dir.path()}) EXPECT_FALSE(platform::ReadVersionRecord(other, record)) << other;
    std::mt19937 random(20240601);
    const size_t tail = std::min<size_t>(original.size(), 8192);
    for (int round = 0; round < 400; ++round) {
        std::string copy = original;
        for (int i = 0; i <= round % 4; ++i)
            copy[random() % 2 ? random() % 64 : original.size() - 1 - random() % tail] = static_cast<char>(random() % 3 == 0 ? 0xff : random());
        WriteWholeFile(path, copy);
        EXPECT_TRUE(!platform::ReadVersionRecord(path, record) || Same(record, expected)) << "round " << round;
    }
}

TEST(VersionString, FormsOfAVersion) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {FIXTURE_2_0_0_384, 0, "v2.0 (build 384)"}, {FIXTURE_2_0_0_384, 1, "v2.0.384"}, {FIXTURE_2_0_0_384, 2, "v2.0"}, {FIXTURE_2_0_0_384, 3, "v2.0"},
        {FIXTURE_2_0_3_384, 0, "v2.03 (build 384)"}, {FIXTURE_2_0_3_384, 1, "v2.03.384"},  // patch without separator
        {FIXTURE_1_5_0_10, 0, "v1.5"}, {FIXTURE_1_5_0_10, 1, "v1.5"},                      // builds up to ten hidden
        {FIXTURE_1_5_0_11, 0, "v1.5 (build 11)"}, {FIXTURE_1_5_0_11, 1, "v1.5.11"},
        {FIXTURE_plain, 0, "v?.?"}, {FIXTURE_plain, 1, "v?.?"}, {"/nonexistent", 0, "v?.?"}};
    for (const auto& [program, form, text] : cases) EXPECT_EQ(FormatVersionString(program, form), text) << program << " " << form;
    EXPECT_EQ(std::make_tuple(GetBuildNumber(FIXTURE_1_5_0_10), GetBuildNumber(FIXTURE_plain), GetBuildNumber("")),
              std::make_tuple(10, 0, PROJECT_VERSION_TWEAK));  // the empty path means the running program
    EXPECT_EQ(FormatVersionString("", 0), FormatVersionString(GetModulePath(), 0));
    EXPECT_NE(FormatVersionString("", 0), "v?.?");
}

TEST(FileLocations, ProgramFolderFoldsOneWholeBuildFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"/apps/tool/prog", "/apps/tool/"}, {"/apps/tool/Debug/prog", "/apps/tool/"}, {"/apps/tool/debug/prog", "/apps/tool/"},
        {"/apps/tool/RELEASE/prog", "/apps/tool/"}, {"/debug/prog", "/"}, {"/apps/Debugger/prog", "/apps/Debugger/"},
        {"/apps/prerelease/prog", "/apps/prerelease/"}, {"/apps/release/debug/prog", "/apps/release/"},
        {"/apps/debug/tool/prog", "/apps/debug/tool/"}, {"prog", ""}, {"debug/prog", "debug/"}};
    for (const auto& [path, folder] : cases) EXPECT_EQ(GetProgramFolder(path), folder) << path;
    EXPECT_TRUE(std::filesystem::equivalent(GetModulePath(), "/proc/self/exe"));
    EXPECT_EQ(GetProgramFilePath("auth.dat"), GetProgramFolder(GetModulePath()) + "auth.dat");
    for (const auto& [path, stripped] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"/", ""}, {"/home/u/Documents", "/home/u/Documents"}, {"/home/u/Documents/", "/home/u/Documents"}, {"/home/u//", "/home/u/"}})
        EXPECT_EQ(StripTrailingBackslash(path), stripped) << path;
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
    EXPECT_EQ(GetSpecialFolder(0) + GetSpecialFolder(26), "");
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

}  // namespace
