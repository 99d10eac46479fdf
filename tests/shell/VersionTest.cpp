// Version records, damaged ones, and the version strings and program folder built on them.
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

bool Same(const platform::VersionRecord& a, const platform::VersionRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Damaged records, files without one, and truncated and scrambled copies of a real
// program never yield a different record or read out of bounds (the sanitizer build
// watches); a string table without its terminators ends the lookup instead of running on.
TEST(VersionRecord, NeverReadFromDamagedFiles) {
    std::vector<unsigned char> section;
    ASSERT_TRUE(platform::ElfSectionReader(FIXTURE_2_0_3_384).ReadSection(".vbversion", 1 << 16, section));
    platform::VersionRecord expected, record;
    ASSERT_TRUE(platform::ReadVersionRecord(FIXTURE_2_0_3_384, expected));
    EXPECT_EQ(std::make_pair(expected.fileVersionMS, expected.fileVersionLS), std::make_pair(0x00020000u, 0x00030180u));
    const std::string original = ReadWholeFile(FIXTURE_2_0_3_384);
    const size_t at = original.find(std::string(section.begin(), section.end()));
    ASSERT_NE(at, std::string::npos);
    std::string wrongSignature = original, unterminated = original, value;
    wrongSignature[at] ^= 1;
    std::fill(unterminated.begin() + at + 52, unterminated.begin() + at + section.size(), 'x');
    unterminated.replace(at + section.size() - 11, 11, "ProductName");  // a key at the very end, no zero after it
    TempDir dir;
    const std::string path = dir.file("copy");
    WriteWholeFile(path, unterminated);
    EXPECT_FALSE(platform::ReadVersionString(path, "ProductName", value));
    for (const std::string& bytes : {wrongSignature, std::string("plain text, long enough to look like a header......"), std::string("\x7f" "ELF", 4),
                                     std::string(), original.substr(0, 64), original.substr(0, original.size() / 2), original.substr(0, original.size() - 1)}) {
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
