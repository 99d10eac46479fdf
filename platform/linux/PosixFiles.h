// POSIX helpers shared by the file and compound-file layers. Opening follows the
// Windows share modes on top of advisory flock locks: every opener in this program
// (and the mail-client stand-in) takes a lock, so a file held by one of them is
// refused to the others.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

enum class LockKind {
    Exclusive,  // no other opener at all (share mode 0)
    Shared,     // other readers, no writer (deny-write)
};

// Opens path with flags (O_CLOEXEC is added; O_TRUNC is refused: callers truncate
// after locking, with ftruncate) and takes a non-blocking lock before anything else
// happens to the file. When creating, mode is used for a new file; with O_EXCL the
// file gets exactly mode, whatever the umask. Returns the descriptor, or -1 with
// errno set: EWOULDBLOCK when someone else holds the file, EACCES when writing was
// asked for and the file is read-only (no write bit; this holds for root too, as the
// read-only attribute does on Windows; not for a file that O_EXCL has just created),
// EISDIR for a folder.
int OpenLocked(const std::string& path, int flags, mode_t mode, LockKind lock);

// True when the file has no write permission bit: the read-only attribute.
bool IsReadOnlyMode(mode_t mode);

// Checks that path could be removed or replaced the way Windows would allow it:
// returns 0, or an errno value (EACCES for a read-only file or a folder,
// EWOULDBLOCK when someone holds the file). A missing path gives ENOENT.
int CheckRemovable(const std::string& path);

// mkdir -p for the folders above path (up to its last '/'), each new one private to the
// user; false when one could not be made.
bool MakeFoldersAbove(const std::string& path);

// The folder part of path ("/" for a file in the root, "." for a bare name).
std::string FolderOf(const std::string& path);

// Reads exactly size bytes at offset (retrying short and interrupted reads); false on
// an error or when the file ends first.
bool ReadFullyAt(int fd, uint64_t offset, void* data, size_t size);

// Long writes hand their data to the disk as they go: every kWritebackEvery bytes the
// file's dirty pages are queued for writing, without waiting. The flush that makes the
// file durable then finds little left to wait for, instead of all of it at the end.
constexpr uint64_t kWritebackEvery = uint64_t(8) << 20;
// Counts size more bytes written to fd and queues its writeback when due.
void CountWritten(int fd, uint64_t size, uint64_t& sinceWriteback);

}  // namespace platform
