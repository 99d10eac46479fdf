// Operations on files by path: wildcard search, rename, delete, attributes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "platform/File.h"

using platform::File;
using platform::FileException;

namespace {

std::vector<std::string> Names(const std::vector<platform::FindEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
}

TEST(FindFiles, MatchesWildcardsWithoutRegardToCase) {
    TempDir dir;
    WriteWholeFile(dir.file("INBOX.DBX"), "12345");
    WriteWholeFile(dir.file("Folders.dbx"), "");
    WriteWholeFile(dir.file("sent items.Dbx"), "xy");
    WriteWholeFile(dir.file("notes.txt"), "n");
    WriteWholeFile(dir.file("archive.dbx.bak"), "b");
    WriteWholeFile(dir.file("a.dbxx"), "b");
    ASSERT_EQ(0, ::mkdir(dir.file("old.dbx").c_str(), 0700));
    WriteWholeFile(dir.file("old.dbx/inner.dbx"), "deep");

    auto entries = platform::FindFiles(dir.path(), "*.dbx");
    EXPECT_EQ((std::vector<std::string>{"Folders.dbx", "INBOX.DBX", "old.dbx", "sent items.Dbx"}),
              Names(entries));
    for (const auto& e : entries) {
        EXPECT_EQ(e.name == "old.dbx", e.isDirectory) << e.name;
    }
    EXPECT_EQ(5u, entries[1].size);
    EXPECT_EQ(0u, entries[0].size);

    EXPECT_EQ((std::vector<std::string>{"a.dbxx"}), Names(platform::FindFiles(dir.path(), "?.DBX?")));
    EXPECT_EQ((std::vector<std::string>{"notes.txt"}), Names(platform::FindFiles(dir.path(), "n*s.t?t")));
    EXPECT_EQ(7u, platform::FindFiles(dir.path(), "*").size());  // never "." or ".."
    EXPECT_TRUE(platform::FindFiles(dir.path(), "*.eml").empty());
    EXPECT_TRUE(platform::FindFiles(dir.file("absent"), "*.dbx").empty());
}

TEST(FindFiles, ReportsLinksWithoutLookingAtTheirTargets) {
    TempDir dir;
    WriteWholeFile(dir.file("file.dbx"), "12345");
    ASSERT_EQ(0, ::mkdir(dir.file("folder.dbx").c_str(), 0700));
    ASSERT_EQ(0, ::symlink(dir.file("file.dbx").c_str(), dir.file("to-file.dbx").c_str()));
    ASSERT_EQ(0, ::symlink(dir.file("folder.dbx").c_str(), dir.file("to-folder.dbx").c_str()));
    ASSERT_EQ(0, ::symlink(dir.file("absent.dbx").c_str(), dir.file("dangling.dbx").c_str()));
    struct Expected {
        std::string name;
        bool isDirectory, isLink, isRegular;
        uint64_t size;
    };
    const std::vector<Expected> expected = {
        {"dangling.dbx", false, true, false, 0},
        {"file.dbx", false, false, true, 5},
        {"folder.dbx", true, false, false, 0},
        {"to-file.dbx", false, true, false, 0},
        {"to-folder.dbx", false, true, false, 0},
    };
    auto entries = platform::FindFiles(dir.path(), "*.dbx");
    ASSERT_EQ(expected.size(), entries.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].name, entries[i].name);
        EXPECT_EQ(expected[i].isDirectory, entries[i].isDirectory) << expected[i].name;
        EXPECT_EQ(expected[i].isLink, entries[i].isLink) << expected[i].name;
        EXPECT_EQ(expected[i].isRegular, entries[i].isRegular) << expected[i].name;
        EXPECT_EQ(expected[i].size, entries[i].size) << expected[i].name;
    }
}

TEST(RenameFile, ReplacesTheTargetAtomically) {
    TempDir dir;
    const std::string from = dir.file("tmp-container"), to = dir.file("{X}.dat");
    WriteWholeFile(from, "new container");
    WriteWholeFile(to, "old");
    ASSERT_TRUE(platform::RenameFile(from, to));
    EXPECT_FALSE(platform::FileExists(from));
    EXPECT_EQ("new container", ReadWholeFile(to));

    FileException error(FileException::Generic, "");
    EXPECT_FALSE(platform::RenameFile(from, to, &error));
    EXPECT_EQ(FileException::FileNotFound, error.cause());
    EXPECT_EQ(from, error.path());
}

TEST(RenameFile, RefusesAReadOnlyOrHeldTarget) {
    for (auto rename : {platform::RenameFile, platform::RenameFileDeferred}) {
        TempDir dir;
        const std::string from = dir.file("a"), to = dir.file("b");
        WriteWholeFile(from, "a");
        WriteWholeFile(to, "b");
        FileException error(FileException::Generic, "");
        {
            File held = File::Open(to, File::Mode::Read);
            EXPECT_FALSE(rename(from, to, &error));
            EXPECT_EQ(FileException::SharingViolation, error.cause());
        }
        ASSERT_TRUE(platform::SetFileAttributes(to, platform::AttributeReadOnly));
        EXPECT_FALSE(rename(from, to, &error));
        EXPECT_EQ(FileException::AccessDenied, error.cause());
        EXPECT_EQ("b", ReadWholeFile(to));
        EXPECT_EQ("a", ReadWholeFile(from));

        ASSERT_TRUE(platform::SetFileAttributes(to, platform::AttributeNormal));
        EXPECT_TRUE(rename(from, to, &error));
        EXPECT_EQ("a", ReadWholeFile(to));
        EXPECT_FALSE(platform::FileExists(from));
    }
}

TEST(RenameFile, NoReplaceRefusesAnythingAtTheTarget) {
    TempDir dir;
    const std::string from = dir.file("tmp-container"), taken = dir.file("taken.dat");
    const std::string link = dir.file("link.dat"), dangling = dir.file("dangling.dat"), free = dir.file("{X}.dat");
    WriteWholeFile(from, "new");
    WriteWholeFile(taken, "old");
    ASSERT_EQ(0, ::symlink(taken.c_str(), link.c_str()));
    ASSERT_EQ(0, ::symlink(dir.file("absent").c_str(), dangling.c_str()));
    for (const std::string& to : {taken, link, dangling}) {
        FileException error(FileException::Generic, "");
        EXPECT_FALSE(platform::RenameFileNoReplace(from, to, &error));
        EXPECT_EQ(FileException::AlreadyExists, error.cause()) << to;
        EXPECT_EQ(to + " already exists.", error.what());
    }
    struct stat st;
    ASSERT_EQ(0, ::lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ("old", ReadWholeFile(taken));
    EXPECT_EQ("new", ReadWholeFile(from));

    ASSERT_TRUE(platform::RenameFileNoReplace(from, free));
    EXPECT_FALSE(platform::FileExists(from));
    EXPECT_EQ("new", ReadWholeFile(free));
}

TEST(DeleteFile, DeletesOnlyWhatWindowsWouldDelete) {
    TempDir dir;
    const std::string path = dir.file("Inbox.dbx");
    WriteWholeFile(path, "x");
    FileException error(FileException::Generic, "");
    {
        File held = File::Open(path, File::Mode::ReadWrite);
        EXPECT_FALSE(platform::DeleteFile(path, &error));
        EXPECT_EQ(FileException::SharingViolation, error.cause());
        EXPECT_TRUE(platform::FileExists(path));
    }
    ASSERT_TRUE(platform::SetFileAttributes(path, platform::AttributeReadOnly | platform::AttributeHidden));
    EXPECT_FALSE(platform::DeleteFile(path, &error));
    EXPECT_EQ(FileException::AccessDenied, error.cause());

    ASSERT_TRUE(platform::SetFileAttributes(path, platform::AttributeNormal));
    EXPECT_TRUE(platform::DeleteFile(path));
    EXPECT_FALSE(platform::FileExists(path));

    EXPECT_FALSE(platform::DeleteFile(path, &error));
    EXPECT_EQ(FileException::FileNotFound, error.cause());
    EXPECT_STREQ((path + " was not found.").c_str(), error.what());

    EXPECT_FALSE(platform::DeleteFile(dir.path(), &error));
    EXPECT_EQ(FileException::AccessDenied, error.cause());
    EXPECT_TRUE(platform::IsDirectory(dir.path()));
}

TEST(FileAttributes, ReadOnlyFollowsThePermissionBits) {
    TempDir dir;
    const std::string path = dir.file("{X}.dat");
    WriteWholeFile(path, "c");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0664));
    EXPECT_EQ(static_cast<uint32_t>(platform::AttributeNormal), platform::GetFileAttributes(path));

    ASSERT_TRUE(platform::SetFileAttributes(path, platform::AttributeHidden | platform::AttributeReadOnly));
    EXPECT_EQ(static_cast<uint32_t>(platform::AttributeReadOnly), platform::GetFileAttributes(path));
    struct stat st;
    ASSERT_EQ(0, ::stat(path.c_str(), &st));
    EXPECT_EQ(0444u, st.st_mode & 0777);
    File file;
    EXPECT_FALSE(File::TryOpen(path, File::Mode::ReadWrite, file));

    // Hidden alone is the same as normal: the file becomes writable again.
    ASSERT_TRUE(platform::SetFileAttributes(path, platform::AttributeHidden));
    EXPECT_EQ(static_cast<uint32_t>(platform::AttributeNormal), platform::GetFileAttributes(path));
    EXPECT_TRUE(File::TryOpen(path, File::Mode::ReadWrite, file));

    EXPECT_EQ(0xFFFFFFFFu, platform::GetFileAttributes(dir.file("none")));
    EXPECT_FALSE(platform::SetFileAttributes(dir.file("none"), platform::AttributeNormal));
    EXPECT_TRUE(platform::GetFileAttributes(dir.path()) & platform::AttributeDirectory);
    EXPECT_TRUE(platform::FileExists(dir.path()));
    EXPECT_FALSE(platform::IsDirectory(path));
    EXPECT_TRUE(platform::FlushFolder(dir.path()));
    EXPECT_FALSE(platform::FlushFolder(dir.file("none")));
}

}  // namespace
