#include "platform/FileStatus.h"

#include <errno.h>
#include <sys/stat.h>

#include <cctype>

#include "PosixFiles.h"

namespace platform {

namespace {

// The text shown to the user: the file's name and the cause in plain words.
std::string Describe(FileStatus::Cause cause, const std::string& path) {
    const std::string name = path.empty() ? "an unnamed file" : path;
    std::string text;
    switch (cause) {
    case FileStatus::FileNotFound: text = name + " was not found."; break;
    case FileStatus::BadPath: text = name + " contains an incorrect path."; break;
    case FileStatus::AccessDenied: text = "Access to " + name + " was denied."; break;
    case FileStatus::SharingViolation:
        text = "A sharing violation occurred while accessing " + name + ".";
        break;
    case FileStatus::DiskFull:
        text = "There is not enough space on the disk to write " + name + ".";
        break;
    case FileStatus::EndOfFile:
        text = "An attempt was made to access " + name + " past its end.";
        break;
    case FileStatus::HardIO:
        text = "A hardware I/O error was reported while accessing " + name + ".";
        break;
    case FileStatus::TooManyOpenFiles:
        text = "Could not open " + name + " because there are too many open files.";
        break;
    case FileStatus::LinkRefused: text = name + " is a symbolic link; links are not followed."; break;
    case FileStatus::NotAFile: text = name + " is not a regular file."; break;
    case FileStatus::AlreadyExists: text = name + " already exists."; break;
    case FileStatus::Ok:
    case FileStatus::Generic:
    default: text = "An unknown error occurred while accessing " + name + "."; break;
    }
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

bool ParentFolderExists(const std::string& path) {
    struct stat st;
    return ::stat(FolderOf(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

FileStatus::FileStatus(Cause cause, std::string path, int osError)
    : cause_(cause), path_(std::move(path)), osError_(osError), text_(cause == Ok ? std::string() : Describe(cause, path_)) {}

FileStatus FileStatus::FromErrno(int error, const std::string& path) {
    Cause cause = Generic;
    switch (error) {
    case ENOENT: cause = ParentFolderExists(path) ? FileNotFound : BadPath; break;
    case ENOTDIR:
    case ENAMETOOLONG:
    // Too many links on the way. The errno alone cannot tell it from a link that an
    // open refused in the last part of the path; the open looks at the path for that.
    case ELOOP: cause = BadPath; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBADF:
    case ETXTBSY: cause = AccessDenied; break;
    case EWOULDBLOCK: cause = SharingViolation; break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: cause = DiskFull; break;
    case EIO: cause = HardIO; break;
    case EMFILE:
    case ENFILE: cause = TooManyOpenFiles; break;
    case EEXIST: cause = AlreadyExists; break;
    default: break;
    }
    return FileStatus(cause, path, error);
}

}  // namespace platform
