#include "platform/FileStatus.h"

#include <errno.h>

#include "platform/win32/Win32Files.h"

namespace platform {

FileStatus FileStatus::FromErrno(int error, const std::string& path) {
    switch (error) {
    case ENOENT: return FileStatus(FileNotFound, path, error);
    case EACCES:
    case EPERM: return FileStatus(AccessDenied, path, error);
    case ENOSPC: return FileStatus(DiskFull, path, error);
    case EEXIST: return FileStatus(AlreadyExists, path, error);
    case EMFILE: return FileStatus(TooManyOpenFiles, path, error);
    default: return FileStatus(Generic, path, error);
    }
}

FileStatus FileStatusFromWin32(DWORD error, const std::string& path) {
    FileStatus::Cause cause = FileStatus::Generic;
    switch (error) {
    case ERROR_FILE_NOT_FOUND: cause = FileStatus::FileNotFound; break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: cause = FileStatus::BadPath; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_DIRECTORY: cause = FileStatus::AccessDenied; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: cause = FileStatus::SharingViolation; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: cause = FileStatus::DiskFull; break;
    case ERROR_HANDLE_EOF: cause = FileStatus::EndOfFile; break;
    case ERROR_CRC:
    case ERROR_IO_DEVICE: cause = FileStatus::HardIO; break;
    case ERROR_TOO_MANY_OPEN_FILES: cause = FileStatus::TooManyOpenFiles; break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: cause = FileStatus::AlreadyExists; break;
    default: break;
    }
    return FileStatus(cause, path, static_cast<int>(error));
}

bool IsLinkPath(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

}  // namespace platform
