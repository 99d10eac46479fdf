#include "platform/FileStatus.h"

#include <errno.h>
#include <sys/stat.h>

#include "PosixFiles.h"

namespace platform {

namespace {

bool ParentFolderExists(const std::string& path) {
    struct stat st;
    return ::stat(FolderOf(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

FileStatus FileStatus::FromErrno(int error, const std::string& path) {
    Cause cause = Generic;
    switch (error) {
        case ENOENT:
            cause = ParentFolderExists(path) ? FileNotFound : BadPath;
            break;
        case ENOTDIR:
        case ENAMETOOLONG:
        // Too many links on the way. The errno alone cannot tell it from a link that an
        // open refused in the last part of the path; the open looks at the path for that.
        case ELOOP:
            cause = BadPath;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EBADF:
        case ETXTBSY:
            cause = AccessDenied;
            break;
        case EWOULDBLOCK:
            cause = SharingViolation;
            break;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            cause = DiskFull;
            break;
        case EIO:
            cause = HardIO;
            break;
        case EMFILE:
        case ENFILE:
            cause = TooManyOpenFiles;
            break;
        case EEXIST:
            cause = AlreadyExists;
            break;
        default:
            break;
    }
    return FileStatus(cause, path, error);
}

}  // namespace platform
