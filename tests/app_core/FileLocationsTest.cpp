#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "base/FileLocations.h"

TEST(FileLocations, BuildFoldersAreFoldedIntoTheirParent) {
    EXPECT_EQ(GetProgramFolder("/apps/tool/prog"), "/apps/tool/");
    EXPECT_EQ(GetProgramFolder("/apps/tool/Debug/prog"), "/apps/tool/");
    EXPECT_EQ(GetProgramFolder("/apps/tool/debug/prog"), "/apps/tool/");
    EXPECT_EQ(GetProgramFolder("/apps/tool/RELEASE/prog"), "/apps/tool/");
    EXPECT_EQ(GetProgramFolder("/apps/tool/Release/prog"), "/apps/tool/");
    EXPECT_EQ(GetProgramFolder("/debug/prog"), "/");
}

TEST(FileLocations, FoldingTakesOnlyWholeNamesAndOneLevel) {
    EXPECT_EQ(GetProgramFolder("/apps/Debugger/prog"), "/apps/Debugger/");
    EXPECT_EQ(GetProgramFolder("/apps/mydebug/prog"), "/apps/mydebug/");
    EXPECT_EQ(GetProgramFolder("/apps/prerelease/prog"), "/apps/prerelease/");
    EXPECT_EQ(GetProgramFolder("/apps/release/debug/prog"), "/apps/release/");
    EXPECT_EQ(GetProgramFolder("/apps/debug/release/prog"), "/apps/debug/");
    EXPECT_EQ(GetProgramFolder("/apps/debug/tool/prog"), "/apps/debug/tool/");
    // Without a folder there is nothing to keep: files beside it are relative paths.
    EXPECT_EQ(GetProgramFolder("prog"), "");
    EXPECT_EQ(GetProgramFolder("debug/prog"), "debug/");
}

TEST(FileLocations, ProgramFilesLieBesideTheProgram) {
    std::string module = GetModulePath();
    ASSERT_FALSE(module.empty());
    EXPECT_TRUE(std::filesystem::equivalent(module, "/proc/self/exe"));
    EXPECT_EQ(GetProgramFilePath("auth.dat"), GetProgramFolder(module) + "auth.dat");
}

TEST(FileLocations, StripTrailingBackslashRemovesOneSeparator) {
    EXPECT_EQ(StripTrailingBackslash(""), "");
    EXPECT_EQ(StripTrailingBackslash("/"), "");
    EXPECT_EQ(StripTrailingBackslash("/home/u/Documents"), "/home/u/Documents");
    EXPECT_EQ(StripTrailingBackslash("/home/u/Documents/"), "/home/u/Documents");
    EXPECT_EQ(StripTrailingBackslash("/home/u//"), "/home/u/");
}

// Points HOME and XDG_CONFIG_HOME into a temporary folder for one test.
class DocumentsFolder : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Set("HOME", home_.path());
        environment_.Set("XDG_CONFIG_HOME", home_.path() + "/config");
    }
    void WriteUserDirs(const std::string& text) {
        std::filesystem::create_directories(home_.path() + "/config");
        WriteWholeFile(home_.path() + "/config/user-dirs.dirs", text);
    }

    TempDir home_;
    ScopedEnvironment environment_;
};

TEST_F(DocumentsFolder, DefaultIsCreatedPrivate) {
    std::string expected = home_.path() + "/Documents";
    EXPECT_EQ(GetSpecialFolder(CSIDL_PERSONAL), expected);
    struct stat info {};
    ASSERT_EQ(stat(expected.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(GetDocumentsFilePath("{id}.dat"), expected + "/{id}.dat");
}

TEST_F(DocumentsFolder, UserDirsFileIsFollowed) {
    WriteUserDirs(
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n"
        "  XDG_DOCUMENTS_DIR = \"$HOME/My \\\"Docs\\\"/inner/\"\n");
    std::string expected = home_.path() + "/My \"Docs\"/inner";
    EXPECT_EQ(GetSpecialFolder(CSIDL_PERSONAL), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected));
    EXPECT_FALSE(std::filesystem::exists(home_.path() + "/Papers"));
    EXPECT_EQ(GetDocumentsFilePath("a.dat"), expected + "/a.dat");
}

TEST_F(DocumentsFolder, AbsoluteAndUnusableEntries) {
    TempDir other;
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"" + other.path() + "/docs\"\n");
    EXPECT_EQ(GetSpecialFolder(CSIDL_PERSONAL), other.path() + "/docs");

    // A relative path or a missing quote is not a usable entry: the default is used.
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"docs\"\nXDG_DOCUMENTS_DIR=$HOME/x\n");
    EXPECT_EQ(GetSpecialFolder(CSIDL_PERSONAL), home_.path() + "/Documents");
}

TEST_F(DocumentsFolder, UnmakeableFolderGivesEmptyText) {
    WriteWholeFile(home_.path() + "/blocker", "a file where a folder should be");
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/blocker/docs\"\n");
    EXPECT_EQ(GetSpecialFolder(CSIDL_PERSONAL), "");
    // The name then lands in the root folder, as a path without documents folder does.
    EXPECT_EQ(GetDocumentsFilePath("x.dat"), "/x.dat");
}

TEST_F(DocumentsFolder, OtherSpecialFoldersAreUnknown) {
    EXPECT_EQ(GetSpecialFolder(0), "");
    EXPECT_EQ(GetSpecialFolder(26), "");
    EXPECT_FALSE(std::filesystem::exists(home_.path() + "/Documents"));
}
