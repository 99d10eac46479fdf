// Files: what every call refuses, and how it says so; data and renames that reach the
// disk. (Wildcard search, attributes and file stamps are shown by the workflow tests'
// store folders and containers.)
#include <dlfcn.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "FilesTest.h"
#include "support/ScopedFileSizeLimit.h"

// fsync and syncfs are wrapped for the whole test program: each call is counted under
// the path of its descriptor, then passed on, so a test can tell that a flush reached
// the system and not only that it returned. The tests here flush from one thread.
namespace {
std::map<std::string, int> calls;

int Counted(const char* call, int fd) {
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    ++calls[std::string(call) + " " + std::string(path, n > 0 ? size_t(n) : 0)];
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, call))(fd);
}
}  // namespace

extern "C" int fsync(int fd) { return Counted("fsync", fd); }
extern "C" int syncfs(int fd) { return Counted("syncfs", fd); }
int Syncs(const std::string& call, const std::string& path) { return calls[call + " " + path]; }

namespace {

using Mode = File::Mode;

File Opened(const std::string& path, Mode mode, File::Permissions permissions = File::DefaultPermissions) {
    File file;
    EXPECT_TRUE(File::Open(path, mode, file, permissions).ok()) << path;
    return file;
}

// As on Windows: a held file is refused to every other opener, deleter and renamer
// (another process too; the mail client stand-in's tests show that), a read-only one
// to every writer. No call follows a link (a create through one must not even make
// the target private), a pipe without its other end must not hold an open, and
// CreateNew and NoReplace find something at every one of these paths.
TEST(File, EveryCallRefusesWhatWindowsWouldAndNamesTheFileAndTheCause) {
    TempDir dir;
    const std::string source = dir.file("source"), target = dir.file("target");
    WriteWholeFile(dir.file("held"), "mail");
    WriteWholeFile(dir.file("locked"), "keep");
    WriteWholeFile(target, "target");
    ASSERT_EQ(0, ::chmod(target.c_str(), 0644) | ::chmod(dir.file("locked").c_str(), 0444) |
                     ::mkfifo(dir.file("pipe").c_str(), 0600) | ::mkdir(dir.file("folder").c_str(), 0700) |
                     ::symlink(target.c_str(), dir.file("link").c_str()) |
                     ::symlink(dir.file("missing").c_str(), dir.file("dangling").c_str()));
    File held = Opened(dir.file("held"), Mode::ReadWrite);
    const auto open = [](Mode mode) {
        return [mode](const std::string& p) { File f; return File::Open(p, mode, f, File::OwnerOnly); };
    };
    const auto rename = [&](FileStatus (*call)(const std::string&, const std::string&)) {
        return [&, call](const std::string& p) { WriteWholeFile(source, "new"); return call(source, p); };
    };
    const std::function<FileStatus(const std::string&)> calls[] = {
        open(Mode::Read), open(Mode::ReadWrite), open(Mode::CreateWrite), open(Mode::CreateNew),
        DeleteFile, rename(RenameFile), rename(RenameFileDeferred), rename(RenameFileNoReplace)};
    const std::map<char, std::pair<FileStatus::Cause, std::string>> causes = {
        {'S', {FileStatus::SharingViolation, "A sharing violation occurred while accessing %."}},
        {'A', {FileStatus::AccessDenied, "Access to % was denied."}},
        {'L', {FileStatus::LinkRefused, "% is a symbolic link; links are not followed."}},
        {'N', {FileStatus::NotAFile, "% is not a regular file."}},
        {'E', {FileStatus::AlreadyExists, "% already exists."}},
        {'F', {FileStatus::FileNotFound, "% was not found."}},
        {'B', {FileStatus::BadPath, "% contains an incorrect path."}},
    };
    // Read, ReadWrite, CreateWrite, CreateNew, delete, and replacing, deferred and
    // no-replace renames to the path: '.' succeeds, '-' is not tried, letters as above.
    const std::pair<const char*, const char*> rows[] = {
        {"held", "SSSESSSE"}, {"locked", ".AAEAAAE"}, {"link", "LLLE---E"},   {"dangling", "LLLE---E"},
        {"pipe", "NNNE---E"}, {"folder", "AAAEAAAE"}, {"missing", "FF--F---"}, {"no/file", "BBBBB---"},
    };
    for (const auto& [name, expected] : rows) {
        for (size_t call = 0; call < std::size(calls); ++call) {
            if (expected[call] == '-') continue;
            const std::string path = dir.file(name);
            const FileStatus status = calls[call](path);
            SCOPED_TRACE(std::string(name) + " call " + std::to_string(call));
            std::string text = expected[call] == '.' ? "" : causes.at(expected[call]).second;
            EXPECT_EQ(text.empty() ? FileStatus::Ok : causes.at(expected[call]).first, status.cause());
            EXPECT_EQ(text.empty() ? "" : text.replace(text.find('%'), 1, path), status.text());
            EXPECT_EQ(text.empty() ? "" : path, status.path());
        }
    }
    EXPECT_EQ("mail keep target", ReadWholeFile(dir.file("held")) + " " + ReadWholeFile(dir.file("locked")) + " " + ReadWholeFile(target));
    EXPECT_EQ(0644u, ModeOf(target));
    EXPECT_FALSE(FileExists(dir.file("missing")));
    EXPECT_EQ(FileStatus::NotAFile, open(Mode::Read)("/dev/null").cause());
}

// A private file is 0600 whatever the umask. Overwriting in place keeps the length, as
// the shredder relies on.
TEST(File, DataReadsBackReachesTheDiskAndRunsOutOfSpace) {
    TempDir dir;
    const std::string path = dir.file("auth.dat");
    const mode_t before = ::umask(0);
    File file = Opened(path, Mode::CreateNew, File::OwnerOnly);
    ::umask(before);
    EXPECT_EQ(0600u, ModeOf(path));
    const std::string data = PatternBytes(200000, 1);
    ASSERT_TRUE(file.Write(data.data(), data.size()).ok());
    const int syncs = Syncs("fsync", path);
    ASSERT_TRUE(file.Flush().ok());
    EXPECT_EQ(syncs + 1, Syncs("fsync", path)) << "a flush reaches the disk";
    ASSERT_TRUE(file.Seek(1).ok() && file.Write("XYZ", 3).ok());
    ASSERT_TRUE(file.SetStamp({S_IFREG | 04755, -86400, 0}).ok() && file.Close().ok());
    EXPECT_EQ(data.substr(0, 1) + "XYZ" + data.substr(4), ReadWholeFile(path));
    EXPECT_EQ(0755u, ModeOf(path)) << "permission bits only";
    EXPECT_EQ(FileStatus::AccessDenied, Opened(path, Mode::Read).Write("x", 1).cause()) << "a read-only handle wrote";
    file = Opened(dir.file("big"), Mode::CreateWrite);
    FileStatus status;
    {
        ScopedFileSizeLimit full(4);  // a write past the limit fails as one on a full disk does
        status = file.Write("0123456789", 10);
    }
    EXPECT_EQ("There is not enough space on the disk to write " + dir.file("big") + ".", status.text());
}

// Every rename but the deferred one, and a folder flush, reach the folder on disk.
TEST(File, RenamesAndFolderFlushesAreDurable) {
    for (auto rename : {RenameFile, RenameFileDeferred, RenameFileNoReplace}) {
        TempDir dir;
        WriteWholeFile(dir.file("from"), "new");
        WriteWholeFile(dir.file(rename == RenameFileNoReplace ? "other" : "to"), "old");
        const int syncs = Syncs("fsync", dir.path());
        ASSERT_TRUE(rename(dir.file("from"), dir.file("to")).ok());
        EXPECT_EQ(rename != RenameFileDeferred, syncs < Syncs("fsync", dir.path()));
        EXPECT_EQ("new", ReadWholeFile(dir.file("to")));
    }
    TempDir dir;
    const int syncs = Syncs("fsync", dir.path()), fsSyncs = Syncs("syncfs", dir.path());
    EXPECT_TRUE(FlushFolder(dir.path()));
    EXPECT_EQ(syncs + 1, Syncs("fsync", dir.path()));
    const bool flushed = FlushFileSystemOf(dir.path());
    EXPECT_EQ(flushed, fsSyncs + 1 == Syncs("syncfs", dir.path()));
}

}  // namespace
