// Files: exclusive opens, refused links and non-files, failure reports, reading,
// writing and flushing through a File, and operations by path.
#include <unistd.h>

#include "FilesTest.h"
#include "support/ScopedFileSizeLimit.h"

namespace {

using Mode = File::Mode;

FileStatus OpenFailure(const std::string& path, Mode mode, File::Permissions permissions = File::DefaultPermissions) {
    File file;
    const FileStatus status = File::Open(path, mode, file, permissions);
    EXPECT_FALSE(status.ok() || file.IsOpen()) << path;
    return status;
}

File Opened(const std::string& path, Mode mode) {
    File file;
    EXPECT_TRUE(File::Open(path, mode, file).ok()) << path;
    return file;
}

// Another process is refused as well; the mail client stand-in's tests show that.
TEST(FileOpen, AHeldFileIsRefusedToEveryOtherOpenerUntilItsHolderLetsGo) {
    TempDir dir;
    const std::string path = dir.file("Inbox.dbx"), other = dir.file("other.dbx");
    WriteWholeFile(path, "mail");
    WriteWholeFile(other, "");
    File first = Opened(path, Mode::ReadWrite);
    for (Mode mode : {Mode::Read, Mode::ReadWrite, Mode::CreateWrite, Mode::CreateReadWrite})
        EXPECT_EQ("A sharing violation occurred while accessing " + path + ".", OpenFailure(path, mode).text());
    EXPECT_EQ("mail", ReadWholeFile(path)) << "a refused create must not cut the held file short";
    first = Opened(other, Mode::Read);  // moving another file in lets go of the first
    EXPECT_TRUE(Opened(path, Mode::ReadWrite).IsOpen());
    File moved(std::move(first));
    EXPECT_EQ(FileStatus::SharingViolation, OpenFailure(other, Mode::Read).cause());
    EXPECT_TRUE(moved.Close().ok() && moved.Close().ok()) << "closing twice is harmless";
    EXPECT_TRUE(Opened(other, Mode::Read).IsOpen());
}

// A link is never followed (a create through it must not even make the target
// private), a pipe without its other end must not hold the open, and CreateNew finds
// something at every one of these paths.
TEST(FileOpen, FailuresNameTheFileAndTheCauseAndLeaveTargetsAlone) {
    TempDir dir;
    const std::string target = dir.file("Inbox.dbx"), locked = dir.file("locked.dbx"), link = dir.file("link.dbx");
    const std::string dangling = dir.file("dangling.dbx"), fifo = dir.file("pipe.dbx"), missing = dir.file("missing.dbx");
    WriteWholeFile(target, "mail");
    WriteWholeFile(locked, "keep");
    ASSERT_EQ(0, ::chmod(target.c_str(), 0644) | ::chmod(locked.c_str(), 0444) | ::mkfifo(fifo.c_str(), 0600) |
                     ::symlink(target.c_str(), link.c_str()) | ::symlink(missing.c_str(), dangling.c_str()));
    const std::string linkText = " is a symbolic link; links are not followed.";
    const std::vector<Mode> all = {Mode::Read, Mode::ReadWrite, Mode::CreateWrite, Mode::CreateReadWrite};
    const struct {
        std::string path;
        std::vector<Mode> modes;
        FileStatus::Cause cause;
        std::string text;
    } cases[] = {
        {missing, {Mode::Read, Mode::ReadWrite}, FileStatus::FileNotFound, missing + " was not found."},
        {dir.file("no/a.dbx"), {Mode::CreateWrite}, FileStatus::BadPath, dir.file("no/a.dbx") + " contains an incorrect path."},
        {locked, {Mode::ReadWrite, Mode::CreateWrite}, FileStatus::AccessDenied, "Access to " + locked + " was denied."},
        {dir.path(), {Mode::Read}, FileStatus::AccessDenied, "Access to " + dir.path() + " was denied."},
        {link, all, FileStatus::LinkRefused, link + linkText},
        {dangling, all, FileStatus::LinkRefused, dangling + linkText},
        {fifo, all, FileStatus::NotAFile, fifo + " is not a regular file."},
        {"/dev/null", {Mode::Read}, FileStatus::NotAFile, "/dev/null is not a regular file."},
    };
    for (const auto& c : cases) {
        for (Mode mode : c.modes) {
            const FileStatus status = OpenFailure(c.path, mode, File::OwnerOnly);
            EXPECT_EQ(c.cause, status.cause()) << c.text;
            EXPECT_EQ(c.text, status.text());
            EXPECT_EQ(c.path, status.path());
        }
    }
    for (const std::string& taken : {target, link, dangling, fifo})
        EXPECT_EQ(taken + " already exists.", OpenFailure(taken, Mode::CreateNew, File::OwnerOnly).text());
    EXPECT_EQ("mail keep", ReadWholeFile(target) + " " + ReadWholeFile(locked));
    EXPECT_EQ(0644u, ModeOf(target));
    EXPECT_FALSE(FileExists(missing));
}

// A truncating create makes a private file private even when it was not; a new private
// file is 0600 whatever the umask. A stamp gives back permission bits only.
TEST(FileIo, CreatesTruncatesWritesSeeksReadsFlushesStampsAndRunsOutOfSpace) {
    TempDir dir;
    const std::string path = dir.file("auth.dat");
    WriteWholeFile(path, "old contents");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0644));
    File file;
    ASSERT_TRUE(File::Open(path, Mode::CreateReadWrite, file, File::OwnerOnly).ok());
    uint64_t length = 9;
    EXPECT_TRUE(file.Length(length).ok() && length == 0);
    EXPECT_EQ(0600u, ModeOf(path));
    const std::string data = PatternBytes(200000, 1);
    ASSERT_TRUE(file.Write(data.data(), data.size()).ok() && file.Write(nullptr, 0).ok());
    const int syncs = Syncs("fsync", path);
    ASSERT_TRUE(file.Flush().ok());
    EXPECT_EQ(syncs + 1, Syncs("fsync", path)) << "a flush reaches the disk";
    EXPECT_TRUE(file.Length(length).ok() && length == data.size());
    std::string chunk(70000, '\0');
    for (const auto& [at, expected] : {std::pair<uint64_t, std::string>{65536, data.substr(65536, 70000)},
                                       {199990, data.substr(199990)}, {200000, ""}}) {
        size_t got = 1;
        ASSERT_TRUE(file.Seek(at).ok() && file.Read(&chunk[0], chunk.size(), got).ok());
        EXPECT_EQ(expected, chunk.substr(0, got)) << at;
    }
    // Overwriting in place keeps the length, as the shredder relies on.
    ASSERT_TRUE(file.Seek(0).ok() && file.Write("XYZ", 3).ok());
    ASSERT_TRUE(file.SetStamp({S_IFREG | 04755, -86400, 999999999}).ok() && file.Close().ok());
    EXPECT_EQ("XYZ" + data.substr(3), ReadWholeFile(path));
    FileStamp stamp;
    EXPECT_TRUE(Opened(path, Mode::Read).Stamp(stamp).ok());
    EXPECT_EQ(0755u, stamp.mode);
    EXPECT_EQ(-86400, stamp.modifiedSeconds);
    EXPECT_EQ(999999999u, stamp.modifiedNanoseconds);
    EXPECT_EQ(FileStatus::AccessDenied, Opened(path, Mode::Read).Write("x", 1).cause()) << "a read-only handle wrote";
    EXPECT_EQ(path, Opened(path, Mode::Read).SetStamp({0600, 0, 1000000000}).path()) << "no such time";
    for (const mode_t mask : {mode_t(0), mode_t(0200)}) {
        const std::string made = dir.file("made" + std::to_string(mask));
        const mode_t before = ::umask(mask);
        const FileStatus status = File::Open(made, Mode::CreateNew, file, File::OwnerOnly);
        ::umask(before);
        ASSERT_TRUE(status.ok()) << mask;
        EXPECT_EQ(0600u, ModeOf(made)) << mask;
        EXPECT_EQ(FileStatus::SharingViolation, OpenFailure(made, Mode::Read).cause()) << "held as every open";
    }
    FileStatus status;
    {
        ScopedFileSizeLimit full(4);  // a write past the limit fails as one on a full disk does
        status = file.Write("0123456789", 10);
    }
    EXPECT_EQ("There is not enough space on the disk to write " + dir.file("made128") + ".", status.text());
}

TEST(FindFiles, MatchesWildcardsInAnyCaseAndReportsLinksWithoutFollowingThem) {
    TempDir dir;
    for (const char* name : {"INBOX.DBX", "sent items.Dbx", "notes.txt", "archive.dbx.bak", "a.dbxx"})
        WriteWholeFile(dir.file(name), "12345");
    ASSERT_EQ(0, ::mkdir(dir.file("folder.dbx").c_str(), 0700));
    WriteWholeFile(dir.file("folder.dbx/inner.dbx"), "deep");
    for (const char* target : {"INBOX.DBX", "folder.dbx", "absent"})
        ASSERT_EQ(0, ::symlink(dir.file(target).c_str(), dir.file(std::string("to-") + target + ".dbx").c_str()));
    const auto names = [&](const char* pattern) {
        std::string names;
        for (const FindEntry& e : FindFiles(dir.path(), pattern)) {
            const bool link = e.name.rfind("to-", 0) == 0;
            EXPECT_EQ(e.name == "folder.dbx", e.isDirectory) << e.name;
            EXPECT_EQ(link, e.isLink) << e.name;
            EXPECT_EQ(!link && !e.isDirectory, e.isRegular) << e.name;
            EXPECT_EQ(e.isRegular ? 5u : 0u, e.size) << e.name;
            names += e.name + " ";
        }
        return names;
    };
    EXPECT_EQ("folder.dbx INBOX.DBX sent items.Dbx to-absent.dbx to-folder.dbx.dbx to-INBOX.DBX.dbx ", names("*.dbx"));
    EXPECT_EQ("a.dbxx ", names("?.DBX?"));
    EXPECT_EQ("notes.txt ", names("n*s.t?t"));
    EXPECT_EQ(9u, FindFiles(dir.path(), "*").size());  // never "." or ".."
    EXPECT_TRUE(FindFiles(dir.file("absent"), "*.dbx").empty());
}

// Replacing renames refuse a read-only or held target as a delete would; all but the
// deferred one flush the folder; the no-replace one refuses anything at the target.
TEST(RenameFile, ReplacesDurablyRefusesWhatADeleteWouldAndNoReplaceRefusesAnything) {
    for (auto rename : {RenameFile, RenameFileDeferred, RenameFileNoReplace}) {
        TempDir dir;
        const std::string from = dir.file("tmp"), to = dir.file("{X}.dat"), link = dir.file("link.dat");
        WriteWholeFile(from, "new");
        WriteWholeFile(to, "old");
        ASSERT_EQ(0, ::symlink(to.c_str(), link.c_str()) | ::symlink(dir.file("absent").c_str(), dir.file("dangling").c_str()));
        if (rename == RenameFileNoReplace) {
            for (const std::string& taken : {to, link, dir.file("dangling")})
                EXPECT_EQ(taken + " already exists.", rename(from, taken).text());
            EXPECT_EQ("old", ReadWholeFile(link));
            ASSERT_EQ(0, ::unlink(to.c_str()));
        } else {
            File held = Opened(to, Mode::Read);
            EXPECT_EQ(FileStatus::SharingViolation, rename(from, to).cause());
            ASSERT_TRUE(held.Close().ok() && SetFileAttributes(to, AttributeReadOnly));
            EXPECT_EQ(FileStatus::AccessDenied, rename(from, to).cause());
            EXPECT_EQ("old", ReadWholeFile(to));
            ASSERT_TRUE(SetFileAttributes(to, AttributeNormal));
        }
        const int syncs = Syncs("fsync", dir.path());
        ASSERT_TRUE(rename(from, to).ok());
        EXPECT_EQ(rename != RenameFileDeferred, syncs < Syncs("fsync", dir.path())) << "the folder is flushed";
        EXPECT_EQ("new", ReadWholeFile(to));
        const FileStatus gone = rename(from, dir.file("other"));
        EXPECT_EQ(FileStatus::FileNotFound, gone.cause());
        EXPECT_EQ(from, gone.path());
    }
}

TEST(DeleteFileAndAttributes, DeleteOnlyWhatWindowsWouldDeleteAndFlushFolders) {
    TempDir dir;
    const std::string path = dir.file("Inbox.dbx");
    WriteWholeFile(path, "x");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0664));
    EXPECT_EQ(uint32_t(AttributeNormal), GetFileAttributes(path));
    {
        File held = Opened(path, Mode::ReadWrite);
        EXPECT_EQ(FileStatus::SharingViolation, DeleteFile(path).cause());
    }
    // Read-only is the permission bits; hidden alone is the same as normal.
    ASSERT_TRUE(SetFileAttributes(path, AttributeReadOnly | AttributeHidden));
    EXPECT_EQ(uint32_t(AttributeReadOnly), GetFileAttributes(path));
    EXPECT_EQ(0444u, ModeOf(path));
    EXPECT_EQ(FileStatus::AccessDenied, DeleteFile(path).cause());
    ASSERT_TRUE(SetFileAttributes(path, AttributeHidden));
    EXPECT_EQ(uint32_t(AttributeNormal), GetFileAttributes(path));
    EXPECT_TRUE(DeleteFile(path).ok());
    EXPECT_EQ(path + " was not found.", DeleteFile(path).text());
    EXPECT_EQ(FileStatus::AccessDenied, DeleteFile(dir.path()).cause());
    EXPECT_EQ(0xFFFFFFFFu, GetFileAttributes(dir.file("none")));
    EXPECT_FALSE(SetFileAttributes(dir.file("none"), AttributeNormal));
    EXPECT_TRUE(GetFileAttributes(dir.path()) & AttributeDirectory);
    const int syncs = Syncs("fsync", dir.path()), fsSyncs = Syncs("syncfs", dir.path());
    EXPECT_TRUE(FlushFolder(dir.path()));
    EXPECT_EQ(syncs + 1, Syncs("fsync", dir.path()));
    const bool flushed = FlushFileSystemOf(dir.path());
    EXPECT_EQ(flushed, fsSyncs + 1 == Syncs("syncfs", dir.path()));
    EXPECT_FALSE(FlushFolder(dir.file("none")));
}

}  // namespace
