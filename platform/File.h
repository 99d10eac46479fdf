// Files as the core uses them: exclusive opens (no other opener while we hold a file),
// statuses that name the file and the cause, flushing to stable storage. Nothing here
// throws, and no name here is one that <windows.h> defines as a macro (DeleteFile,
// GetFileAttributes...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileStatus.h"
#include "platform/NonCopyable.h"
#include "platform/PathSeparator.h"

namespace platform {

// What a file keeps besides its bytes and that a restore gives back: its permission
// bits (Windows: read-only maps to no write bit) and its modification time.
struct FileStamp {
    uint32_t mode = 0;
    int64_t modifiedSeconds = 0;  // since 1970-01-01 UTC
    uint32_t modifiedNanoseconds = 0;
};

// One open file, owned. Move-only; the destructor closes. Every open here is exclusive: a second opener of the same
// file, in this process or another, fails with SharingViolation.
class File : NonCopyable {
public:
    // Scoped, because File::Read is also the read call: File::Mode::ReadWrite.
    enum class Mode {
        Read,             // existing file, read only
        ReadWrite,        // existing file, read and write
        CreateWrite,      // create or truncate, write only
        CreateReadWrite,  // create or truncate, read and write
        CreateNew,        // create a new file, write only; fails (AlreadyExists) when
                          // anything, a dangling link included, is at the path
    };

    // Who may read a file that an open creates. Secret files (the container, the
    // password file) are created readable by the user only; a Create mode that
    // truncates an existing file makes it private too.
    enum Permissions {
        DefaultPermissions,  // 0666 less the umask
        OwnerOnly,           // 0600
    };

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    // Opens path into out (which is left as it was on failure). A file without any
    // write permission bit is read-only: opening it for writing fails with
    // AccessDenied, as it does for every user on Windows. Folders cannot be opened. No
    // open follows a symbolic link in the last part of the path (LinkRefused), and only
    // regular files are opened (NotAFile for a pipe, a device or a socket).
    [[nodiscard]] static FileStatus Open(const std::string& path, Mode mode, File& out,
                                         Permissions permissions = DefaultPermissions);

    bool IsOpen() const { return handle_ >= 0; }
    const std::string& Path() const { return path_; }

    // Reads up to size bytes into buffer; got is 0 at the end of the file.
    [[nodiscard]] FileStatus Read(void* buffer, size_t size, size_t& got);
    // Writes all size bytes (DiskFull for a short write).
    [[nodiscard]] FileStatus Write(const void* buffer, size_t size);
    [[nodiscard]] FileStatus Seek(uint64_t offset);
    [[nodiscard]] FileStatus Length(uint64_t& length) const;
    // Forces written data to stable storage.
    [[nodiscard]] FileStatus Flush();
    // The file's permission bits and modification time.
    [[nodiscard]] FileStatus Stamp(FileStamp& stamp) const;
    // Gives the file those permission bits (mode & 0777) and that modification time.
    [[nodiscard]] FileStatus SetStamp(const FileStamp& stamp);
    // Moves the open file to `to`, never replacing anything there (AlreadyExists), and
    // makes the move durable; the file stays open and Path() names it. A file held with
    // exclusive sharing can be moved on Windows only through its own handle.
    [[nodiscard]] FileStatus RenameNoReplace(const std::string& to);
    // Closes the file; fails when the system reports an error on close (the file is
    // closed all the same). Closing twice is harmless.
    [[nodiscard]] FileStatus Close();

private:
    // The descriptor on Linux, the HANDLE on Windows (INVALID_HANDLE_VALUE is -1 there too).
    intptr_t handle_ = -1;
    std::string path_;
    uint64_t sinceWriteback_ = 0;  // bytes written since the disk was last given them
};

enum FileAttributes : uint32_t {
    AttributeReadOnly = 0x01,
    AttributeHidden = 0x02,
    AttributeDirectory = 0x10,
    AttributeNormal = 0x80,
};

// True when anything (file or folder) exists at path.
bool FileExists(const std::string& path);
// Deletes a file. As on Windows, a read-only
// file (AccessDenied), a folder (AccessDenied) and a file that someone holds open
// (SharingViolation) are not deleted.
[[nodiscard]] FileStatus RemoveFile(const std::string& path);
// Renames, replacing an existing target atomically, and makes the rename durable
// (both folders are flushed). A read-only or held target is refused as by RemoveFile.
[[nodiscard]] FileStatus RenameFile(const std::string& from, const std::string& to);
// As RenameFile, but leaves making it durable to the caller (FlushFolder), for runs
// that rename many files into one folder and flush it once.
[[nodiscard]] FileStatus RenameFileDeferred(const std::string& from, const std::string& to);
// Renames only when nothing exists at `to` (AlreadyExists otherwise; never replaces,
// also not a link), durably.
[[nodiscard]] FileStatus RenameFileNoReplace(const std::string& from, const std::string& to);
// Read-only maps to the permission bits: set, it removes every write bit; absent
// (AttributeNormal or hidden alone), it gives the owner write permission back.
// Hidden has no counterpart here and is accepted.
bool ApplyFileAttributes(const std::string& path, uint32_t attributes);
// Returns the attributes (read-only when no write bit is set, directory, or normal
// when neither), or 0xFFFFFFFF when nothing exists at path.
uint32_t ReadFileAttributes(const std::string& path);
bool IsDirectory(const std::string& path);
// Makes the folder's entries (a create, rename or delete in it) durable.
bool FlushFolder(const std::string& folder);
// Makes everything written to the file system that holds `folder` durable, data and
// names, in one call: cheaper than flushing many small files one by one. False when
// the system cannot do that; then nothing is promised and each file must be flushed.
bool FlushFileSystemOf(const std::string& folder);
// False where FlushFileSystemOf never succeeds (Windows, for a user without
// administrator rights). A file can be flushed there only through a handle that may
// write it, so callers flush each file while they still write it.
bool CanFlushFileSystem();

// Paths recorded on the other system, read the way Wine joins the two: its drive Z: is
// the Linux root, and every other drive is the folder a Wine prefix links it to.
// True for a full path in the other system's form: "X:\..." (either slash) on Linux,
// "/..." under Windows.
bool IsOtherSystemPath(const std::string& path);
// The folder such a path names, in this system's form, or the empty text when this
// system cannot reach it. On Linux, drive X: is the target of
// $WINEPREFIX/dosdevices/x: (default prefix ~/.wine), and Z: is "/" when no prefix
// says otherwise; each part that exists is matched without regard to case, as Wine
// matches it, so a folder that Windows lower-cased finds its real name. Under Wine,
// "/a/b" is "Z:\a\b"; on Windows proper nothing is reachable. A ".." part reaches
// nothing either.
std::string FolderFromOtherSystem(const std::string& path);

struct FindEntry {
    std::string name;  // as stored on disk
    bool isDirectory;  // a folder (never set for a link)
    bool isLink;       // a symbolic link, wherever it points (its target is not looked at)
    bool isRegular;    // a regular file, not reached through a link
    uint64_t size;
};
// The entries of one folder (not its subfolders) whose names match the wildcard
// pattern (* and ?), compared without regard to case; "." and ".." never appear.
// Folders are reported with isDirectory set so that callers can skip them. The list
// is sorted by name without regard to case (the order NTFS gives), so it does not
// depend on the order the file system happens to keep; an unreadable or missing
// folder gives an empty list.
std::vector<FindEntry> FindFiles(const std::string& folder, const std::string& pattern);

}  // namespace platform
