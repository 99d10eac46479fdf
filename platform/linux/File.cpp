#include "platform/File.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <limits>
#include <utility>

#include "PosixFiles.h"
#include "UniqueFd.h"

namespace platform {

namespace {

int OpenFlags(File::Mode mode) {
    switch (mode) {
    case File::Mode::Read: return O_RDONLY;
    case File::Mode::ReadWrite: return O_RDWR;
    case File::Mode::CreateWrite: return O_WRONLY | O_CREAT;
    case File::Mode::CreateReadWrite: return O_RDWR | O_CREAT;
    case File::Mode::CreateNew: return O_WRONLY | O_CREAT | O_EXCL;
    }
    return O_RDONLY;
}

bool Truncates(File::Mode mode) {
    return mode == File::Mode::CreateWrite || mode == File::Mode::CreateReadWrite;
}

bool Creates(File::Mode mode) { return Truncates(mode) || mode == File::Mode::CreateNew; }

// The report for an open that failed with error. O_NOFOLLOW refuses a link with
// ELOOP, which a loop of links further up the path gives too, and a pipe without a
// reader or a socket gives ENXIO; the path itself tells these apart.
FileStatus OpenFailure(int error, const std::string& path) {
    struct stat st;
    if ((error == ELOOP || error == ENXIO || error == ENODEV) && ::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) return FileStatus(FileStatus::LinkRefused, path, error);
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
            return FileStatus(FileStatus::NotAFile, path, error);
        }
    }
    return FileStatus::FromErrno(error, path);
}

}  // namespace

File::~File() {
    if (handle_ >= 0) ::close(handle_);
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_ >= 0) ::close(handle_);
        handle_ = std::exchange(other.handle_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

FileStatus File::Open(const std::string& path, Mode mode, File& out, Permissions permissions) {
    const mode_t createMode = permissions == OwnerOnly ? 0600 : 0666;
    // O_NONBLOCK keeps a pipe from holding the open until a writer comes; it is
    // cleared once the file is known to be a regular one.
    UniqueFd fd(OpenLocked(path, OpenFlags(mode) | O_NOFOLLOW | O_NONBLOCK, createMode, LockKind::Exclusive));
    if (!fd) return OpenFailure(errno, path);
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0) return (FileStatus::FromErrno(errno, path));
    // Checked before anything is done to it: a device or a pipe is never truncated
    // or given other permissions.
    if (!S_ISREG(st.st_mode)) return (FileStatus(FileStatus::NotAFile, path));
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return (FileStatus::FromErrno(errno, path));
    }
    // The lock is held before the file is cut short, so a file that someone else
    // holds is refused intact.
    if (Truncates(mode) && ::ftruncate(fd.Get(), 0) != 0) {
        return (FileStatus::FromErrno(errno, path));
    }
    // The umask may have narrowed a new file's bits, and an existing file that is
    // truncated keeps its own: either way a private file ends up exactly 0600.
    if (Creates(mode) && permissions == OwnerOnly && ::fchmod(fd.Get(), 0600) != 0) {
        return (FileStatus::FromErrno(errno, path));
    }
    File file;
    file.handle_ = fd.Release();
    file.path_ = path;
    out = std::move(file);
    return FileStatus();
}

FileStatus File::Read(void* buffer, size_t size, size_t& got) {
    got = 0;
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    char* bytes = static_cast<char*>(buffer);
    // A regular file gives fewer bytes than asked only at its end; a signal may
    // still cut a read short, so keep reading until the end or the count.
    while (got < size) {
        ssize_t n = ::read(handle_, bytes + got, size - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return FileStatus::FromErrno(errno, path_);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return FileStatus();
}

FileStatus File::Write(const void* buffer, size_t size) {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    const char* bytes = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(handle_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return FileStatus::FromErrno(errno, path_);
        }
        if (n == 0) return FileStatus(FileStatus::DiskFull, path_, ENOSPC);
        done += static_cast<size_t>(n);
    }
    CountWritten(static_cast<int>(handle_), size, sinceWriteback_);
    return FileStatus();
}

FileStatus File::Seek(uint64_t offset) {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) ||
        ::lseek(handle_, static_cast<off_t>(offset), SEEK_SET) < 0) {
        return FileStatus(FileStatus::Generic, path_, EINVAL);
    }
    return FileStatus();
}

FileStatus File::Length(uint64_t& length) const {
    length = 0;
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    struct stat st;
    if (::fstat(handle_, &st) != 0) return FileStatus::FromErrno(errno, path_);
    length = static_cast<uint64_t>(st.st_size);
    return FileStatus();
}

FileStatus File::Flush() {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    int rc;
    do {
        rc = ::fsync(handle_);
    } while (rc != 0 && errno == EINTR);
    return rc != 0 ? FileStatus::FromErrno(errno, path_) : FileStatus();
}

FileStatus File::Stamp(FileStamp& stamp) const {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    struct stat st;
    if (::fstat(handle_, &st) != 0) return FileStatus::FromErrno(errno, path_);
    stamp.mode = static_cast<uint32_t>(st.st_mode & 07777);
    stamp.modifiedSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<uint32_t>(st.st_mtim.tv_nsec);
    return FileStatus();
}

FileStatus File::SetStamp(const FileStamp& stamp) {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    if (stamp.modifiedNanoseconds >= 1000000000u ||
        stamp.modifiedSeconds < static_cast<int64_t>(std::numeric_limits<time_t>::min()) ||
        stamp.modifiedSeconds > static_cast<int64_t>(std::numeric_limits<time_t>::max())) {
        return FileStatus(FileStatus::Generic, path_, EINVAL);
    }
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;  // the access time stays as it is
    times[1].tv_sec = static_cast<time_t>(stamp.modifiedSeconds);
    times[1].tv_nsec = static_cast<long>(stamp.modifiedNanoseconds);
    if (::futimens(handle_, times) != 0) return FileStatus::FromErrno(errno, path_);
    if (::fchmod(handle_, static_cast<mode_t>(stamp.mode & 0777)) != 0) return FileStatus::FromErrno(errno, path_);
    return FileStatus();
}

FileStatus File::RenameNoReplace(const std::string& to) {
    // A lock does not keep a name from changing here: the rename by path is enough.
    FileStatus status = RenameFileNoReplace(path_, to);
    if (status.ok()) path_ = to;
    return status;
}

FileStatus File::Close() {
    if (handle_ < 0) return FileStatus();
    int fd = std::exchange(handle_, -1);
    // The descriptor is gone whatever close() says (retrying could close another
    // file's descriptor); an error still means data may not have been written.
    if (::close(fd) != 0 && errno != EINTR) return FileStatus::FromErrno(errno, path_);
    return FileStatus();
}

}  // namespace platform
