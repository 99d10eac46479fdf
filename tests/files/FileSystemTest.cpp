// Operations on files by path: wildcard search, rename, delete, attributes, folder flushes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "SyncWatch.h"
#include "platform/File.h"
#include "support/TempDir.h"

using platform::File;
using platform::FileStatus;

namespace {

std::string Names(const std::vector<platform::FindEntry>& entries) {
    std::string names;
    for (const auto& e : entries) names += e.name + " ";
    return names;
}

TEST(FindFiles, MatchesWildcardsInAnyCaseAndReportsLinksWithoutFollowingThem) {
    TempDir dir;
    for (const char* name : {"INBOX.DBX", "sent items.Dbx", "notes.txt", "archive.dbx.bak", "a.dbxx"})
        WriteWholeFile(dir.file(name), "12345");
    ASSERT_EQ(0, ::mkdir(dir.file("folder.dbx").c_str(), 0700));
    WriteWholeFile(dir.file("folder.dbx/inner.dbx"), "deep");
    ASSERT_EQ(0, ::symlink(dir.file("INBOX.DBX").c_str(), dir.file("to-file.dbx").c_str()));
    ASSERT_EQ(0, ::symlink(dir.file("folder.dbx").c_str(), dir.file("to-folder.dbx").c_str()));
    ASSERT_EQ(0, ::symlink(dir.file("absent.dbx").c_str(), dir.file("dangling.dbx").c_str()));

    const std::vector<platform::FindEntry> entries = platform::FindFiles(dir.path(), "*.dbx");
    EXPECT_EQ("dangling.dbx folder.dbx INBOX.DBX sent items.Dbx to-file.dbx to-folder.dbx ", Names(entries));
    for (const auto& e : entries) {
        const bool link = e.name.rfind("to-", 0) == 0 || e.name == "dangling.dbx";
        EXPECT_EQ(e.name == "folder.dbx", e.isDirectory) << e.name;
        EXPECT_EQ(link, e.isLink) << e.name;
        EXPECT_EQ(!link && !e.isDirectory, e.isRegular) << e.name;
        EXPECT_EQ(e.isRegular ? 5u : 0u, e.size) << e.name;
    }
    EXPECT_EQ("a.dbxx ", Names(platform::FindFiles(dir.path(), "?.DBX?")));
    EXPECT_EQ("notes.txt ", Names(platform::FindFiles(dir.path(), "n*s.t?t")));
    EXPECT_EQ(9u, platform::FindFiles(dir.path(), "*").size());  // never "." or ".."
    EXPECT_TRUE(platform::FindFiles(dir.file("absent"), "*.dbx").empty());
}

TEST(RenameFile, ReplacesTheTargetAtomicallyAndDurably) {
    TempDir dir;
    const std::string from = dir.file("tmp-container"), to = dir.file("{X}.dat");
    WriteWholeFile(from, "new container");
    WriteWholeFile(to, "old");
    const int syncs = Syncs("fsync", dir.path());
    ASSERT_TRUE(platform::RenameFile(from, to).ok());
    EXPECT_LT(syncs, Syncs("fsync", dir.path())) << "the folder holding the new name is flushed";
    EXPECT_FALSE(platform::FileExists(from));
    EXPECT_EQ("new container", ReadWholeFile(to));

    const FileStatus error = platform::RenameFile(from, to);
    EXPECT_EQ(FileStatus::FileNotFound, error.cause());
    EXPECT_EQ(from, error.path());
}

TEST(RenameFile, RefusesAReadOnlyOrHeldTarget) {
    for (auto rename : {platform::RenameFile, platform::RenameFileDeferred}) {
        TempDir dir;
        const std::string from = dir.file("a"), to = dir.file("b");
        WriteWholeFile(from, "a");
        WriteWholeFile(to, "b");
        {
            File held;
            ASSERT_TRUE(File::Open(to, File::Mode::Read, held).ok());
            EXPECT_EQ(FileStatus::SharingViolation, rename(from, to).cause());
        }
        ASSERT_TRUE(platform::SetFileAttributes(to, platform::AttributeReadOnly));
        EXPECT_EQ(FileStatus::AccessDenied, rename(from, to).cause());
        EXPECT_EQ("b", ReadWholeFile(to));
        ASSERT_TRUE(platform::SetFileAttributes(to, platform::AttributeNormal));
        EXPECT_TRUE(rename(from, to).ok());
        EXPECT_EQ("a", ReadWholeFile(to));
        EXPECT_FALSE(platform::FileExists(from));
    }
}

TEST(RenameFile, NoReplaceRefusesAnythingAtTheTarget) {
    TempDir dir;
    const std::string from = dir.file("tmp"), taken = dir.file("taken.dat"), link = dir.file("link.dat");
    const std::string dangling = dir.file("dangling.dat"), free = dir.file("{X}.dat");
    WriteWholeFile(from, "new");
    WriteWholeFile(taken, "old");
    ASSERT_EQ(0, ::symlink(taken.c_str(), link.c_str()));
    ASSERT_EQ(0, ::symlink(dir.file("absent").c_str(), dangling.c_str()));
    for (const std::string& to : {taken, link, dangling}) {
        EXPECT_EQ(to + " already exists.", platform::RenameFileNoReplace(from, to).text());
    }
    struct stat st;
    ASSERT_EQ(0, ::lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ("old", ReadWholeFile(taken));
    ASSERT_TRUE(platform::RenameFileNoReplace(from, free).ok());
    EXPECT_EQ("new", ReadWholeFile(free));
}

TEST(DeleteFileAndAttributes, DeleteOnlyWhatWindowsWouldDelete) {
    TempDir dir;
    const std::string path = dir.file("Inbox.dbx");
    WriteWholeFile(path, "x");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0664));
    EXPECT_EQ(uint32_t(platform::AttributeNormal), platform::GetFileAttributes(path));
    {
        File held;
        ASSERT_TRUE(File::Open(path, File::Mode::ReadWrite, held).ok());
        EXPECT_EQ(FileStatus::SharingViolation, platform::DeleteFile(path).cause());
    }
    // Read-only is the permission bits; hidden alone is the same as normal.
    ASSERT_TRUE(platform::SetFileAttributes(path, platform::AttributeReadOnly | platform::AttributeHidden));
    EXPECT_EQ(uint32_t(platform::AttributeReadOnly), platform::GetFileAttributes(path));
    EXPECT_EQ(0444u, [&] { struct stat st; ::stat(path.c_str(), &st); return st.st_mode & 0777; }());
    File file;
    EXPECT_FALSE(File::Open(path, File::Mode::ReadWrite, file).ok());
    EXPECT_EQ(FileStatus::AccessDenied, platform::DeleteFile(path).cause());
    ASSERT_TRUE(platform::SetFileAttributes(path, platform::AttributeHidden));
    EXPECT_EQ(uint32_t(platform::AttributeNormal), platform::GetFileAttributes(path));
    EXPECT_TRUE(platform::DeleteFile(path).ok());
    EXPECT_EQ(path + " was not found.", platform::DeleteFile(path).text());
    EXPECT_EQ(FileStatus::AccessDenied, platform::DeleteFile(dir.path()).cause());
    EXPECT_TRUE(platform::IsDirectory(dir.path()));

    EXPECT_EQ(0xFFFFFFFFu, platform::GetFileAttributes(dir.file("none")));
    EXPECT_FALSE(platform::SetFileAttributes(dir.file("none"), platform::AttributeNormal));
    EXPECT_TRUE(platform::GetFileAttributes(dir.path()) & platform::AttributeDirectory);
    const int syncs = Syncs("fsync", dir.path()), fsSyncs = Syncs("syncfs", dir.path());
    EXPECT_TRUE(platform::FlushFolder(dir.path()));
    EXPECT_EQ(syncs + 1, Syncs("fsync", dir.path()));
    if (platform::FlushFileSystemOf(dir.path())) {
        EXPECT_EQ(fsSyncs + 1, Syncs("syncfs", dir.path()));
    }
    EXPECT_FALSE(platform::FlushFolder(dir.file("none")));
}

}  // namespace
