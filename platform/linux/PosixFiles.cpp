#include "PosixFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

int OpenLocked(const std::string& path, int flags, mode_t mode, LockKind lock) {
    if (flags & O_TRUNC) {
        // Truncating before the lock is taken would destroy a file that someone holds.
        errno = EINVAL;
        return -1;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;

    int error = 0;
    int operation = (lock == LockKind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    struct stat st;
    if (rc != 0) {
        error = errno == EAGAIN ? EWOULDBLOCK : errno;
    } else if ((flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL) && ::fchmod(fd, mode) != 0) {
        // The file is new and ours: it gets exactly mode, also the bits the umask took.
        error = errno;
    } else if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
    } else if ((flags & O_ACCMODE) != O_RDONLY && !(flags & O_EXCL) && IsReadOnlyMode(st.st_mode)) {
        // Not after an exclusive create: that file is our own and new, and a umask
        // without the owner's write bit does not make it read-only to us.
        error = EACCES;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

int CheckRemovable(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EACCES;
    if (!S_ISREG(st.st_mode)) return 0;  // links and the like: nothing holds them
    if (IsReadOnlyMode(st.st_mode)) return EACCES;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return 0;  // not readable by us: nobody's lock can be seen, go on
    int result = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EAGAIN)) {
        result = EWOULDBLOCK;
    }
    ::close(fd);
    return result;
}

bool MakeFoldersAbove(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool ReadFullyAt(int fd, uint64_t offset, void* data, size_t size) {
    auto* at = static_cast<uint8_t*>(data);
    while (size > 0) {
        const ssize_t got = ::pread(fd, at, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

void CountWritten(int fd, uint64_t size, uint64_t& sinceWriteback) {
    sinceWriteback += size;
    if (sinceWriteback < kWritebackEvery) return;
    sinceWriteback = 0;
    // Only a hint: a failure here is found again by the flush, which waits and reports.
    (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

}  // namespace platform
