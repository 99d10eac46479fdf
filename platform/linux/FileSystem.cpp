// Whole-file operations by path: existence, delete, rename, attributes, folders.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PosixFiles.h"
#include "platform/File.h"

namespace platform {

namespace {

// A rename lives in the folders' entries; without flushing them a crash can bring
// back the old name even though the data is safe.
FileStatus FlushFoldersOf(const std::string& from, const std::string& to) {
    const std::string toFolder = FolderOf(to);
    const std::string fromFolder = FolderOf(from);
    if (!FlushFolder(toFolder)) return FileStatus::FromErrno(EIO, to);
    if (fromFolder != toFolder && !FlushFolder(fromFolder)) return FileStatus::FromErrno(EIO, from);
    return FileStatus();
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

FileStatus RemoveFile(const std::string& path) {
    int refusal = CheckRemovable(path);
    if (refusal != 0) return FileStatus::FromErrno(refusal, path);
    if (::unlink(path.c_str()) != 0) return FileStatus::FromErrno(errno, path);
    return FileStatus();
}

FileStatus RenameFile(const std::string& from, const std::string& to) {
    FileStatus status = RenameFileDeferred(from, to);
    return status.ok() ? FlushFoldersOf(from, to) : status;
}

FileStatus RenameFileDeferred(const std::string& from, const std::string& to) {
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) return FileStatus::FromErrno(errno, from);
    int refusal = CheckRemovable(to);
    if (refusal != 0 && refusal != ENOENT) return FileStatus::FromErrno(refusal, to);
    if (::rename(from.c_str(), to.c_str()) != 0) return FileStatus::FromErrno(errno, to);
    return FileStatus();
}

FileStatus RenameFileNoReplace(const std::string& from, const std::string& to) {
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) return FileStatus::FromErrno(errno, from);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        const int failure = errno;
        if (failure != EINVAL && failure != ENOSYS) return FileStatus::FromErrno(failure, to);
        // The file system cannot rename without replacing. A hard link is made only
        // where nothing is, so linking and then dropping the old name never replaces.
        if (::link(from.c_str(), to.c_str()) != 0) return FileStatus::FromErrno(errno, to);
        if (::unlink(from.c_str()) != 0) {
            const int unlinkFailure = errno;
            ::unlink(to.c_str());
            return FileStatus::FromErrno(unlinkFailure, from);
        }
    }
    return FlushFoldersOf(from, to);
}

bool ApplyFileAttributes(const std::string& path, uint32_t attributes) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    if (attributes & AttributeReadOnly) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else {
        mode |= S_IWUSR;
    }
    return mode == (st.st_mode & 07777) || ::chmod(path.c_str(), mode) == 0;
}

uint32_t ReadFileAttributes(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return 0xFFFFFFFFu;
    uint32_t attributes = 0;
    if (IsReadOnlyMode(st.st_mode)) attributes |= AttributeReadOnly;
    if (S_ISDIR(st.st_mode)) attributes |= AttributeDirectory;
    return attributes ? attributes : static_cast<uint32_t>(AttributeNormal);
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FlushFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    // Some file systems cannot sync a folder at all; there is nothing more to do there.
    bool ok = rc == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return ok;
}

bool CanFlushFileSystem() { return true; }

bool FlushFileSystemOf(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    // Since Linux 5.8 syncfs also reports write-back errors of the file system.
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace platform
