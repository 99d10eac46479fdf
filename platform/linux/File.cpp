#include "platform/File.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <utility>

#include "PosixFiles.h"

namespace platform {

namespace {

int OpenFlags(File::Mode mode) {
    switch (mode) {
    case File::Mode::Read: return O_RDONLY;
    case File::Mode::ReadWrite: return O_RDWR;
    case File::Mode::CreateWrite: return O_WRONLY | O_CREAT;
    case File::Mode::CreateReadWrite: return O_RDWR | O_CREAT;
    }
    return O_RDONLY;
}

bool Creates(File::Mode mode) {
    return mode == File::Mode::CreateWrite || mode == File::Mode::CreateReadWrite;
}

}  // namespace

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

File File::Open(const std::string& path, Mode mode, Permissions permissions) {
    File file;
    FileException error(FileException::Generic, path);
    if (!TryOpen(path, mode, file, &error, permissions)) throw error;
    return file;
}

bool File::TryOpen(const std::string& path, Mode mode, File& out, FileException* error,
                   Permissions permissions) {
    const mode_t createMode = permissions == OwnerOnly ? 0600 : 0666;
    int fd = OpenLocked(path, OpenFlags(mode), createMode, LockKind::Exclusive);
    int failure = fd < 0 ? errno : 0;
    // The lock is held before the file is cut short, so a file that someone else
    // holds is refused intact.
    if (fd >= 0 && Creates(mode)) {
        if (::ftruncate(fd, 0) != 0 || (permissions == OwnerOnly && ::fchmod(fd, 0600) != 0)) {
            failure = errno;
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) {
        if (error) *error = FileException::FromErrno(failure, path);
        return false;
    }
    File file;
    file.fd_ = fd;
    file.path_ = path;
    out = std::move(file);
    return true;
}

size_t File::Read(void* buffer, size_t size) {
    if (fd_ < 0) throw FileException(FileException::Generic, path_);
    char* bytes = static_cast<char*>(buffer);
    size_t done = 0;
    // A regular file gives fewer bytes than asked only at its end; a signal may
    // still cut a read short, so keep reading until the end or the count.
    while (done < size) {
        ssize_t n = ::read(fd_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileException::FromErrno(errno, path_);
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

void File::Write(const void* buffer, size_t size) {
    if (fd_ < 0) throw FileException(FileException::Generic, path_);
    const char* bytes = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileException::FromErrno(errno, path_);
        }
        if (n == 0) throw FileException(FileException::DiskFull, path_, ENOSPC);
        done += static_cast<size_t>(n);
    }
}

void File::Seek(uint64_t offset) {
    if (fd_ < 0) throw FileException(FileException::Generic, path_);
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) ||
        ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
        throw FileException(FileException::Generic, path_, EINVAL);
    }
}

uint64_t File::Length() const {
    if (fd_ < 0) throw FileException(FileException::Generic, path_);
    struct stat st;
    if (::fstat(fd_, &st) != 0) throw FileException::FromErrno(errno, path_);
    return static_cast<uint64_t>(st.st_size);
}

void File::Flush() {
    if (fd_ < 0) throw FileException(FileException::Generic, path_);
    int rc;
    do {
        rc = ::fsync(fd_);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) throw FileException::FromErrno(errno, path_);
}

void File::Close() {
    if (fd_ < 0) return;
    int fd = std::exchange(fd_, -1);
    // The descriptor is gone whatever close() says (retrying could close another
    // file's descriptor); an error still means data may not have been written.
    if (::close(fd) != 0 && errno != EINTR) throw FileException::FromErrno(errno, path_);
}

}  // namespace platform
