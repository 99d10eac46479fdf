#include "platform/File.h"

#include <errno.h>
#include <sys/stat.h>

#include <cctype>

#include "PosixFiles.h"

namespace platform {

namespace {

// The text shown to the user: the file's name and the cause in plain words.
std::string Describe(FileException::Cause cause, const std::string& path) {
    const std::string name = path.empty() ? "an unnamed file" : path;
    std::string text;
    switch (cause) {
    case FileException::FileNotFound: text = name + " was not found."; break;
    case FileException::BadPath: text = name + " contains an incorrect path."; break;
    case FileException::AccessDenied: text = "Access to " + name + " was denied."; break;
    case FileException::SharingViolation:
        text = "A sharing violation occurred while accessing " + name + ".";
        break;
    case FileException::DiskFull:
        text = "There is not enough space on the disk to write " + name + ".";
        break;
    case FileException::EndOfFile:
        text = "An attempt was made to access " + name + " past its end.";
        break;
    case FileException::HardIO:
        text = "A hardware I/O error was reported while accessing " + name + ".";
        break;
    case FileException::TooManyOpenFiles:
        text = "Could not open " + name + " because there are too many open files.";
        break;
    case FileException::LinkRefused: text = name + " is a symbolic link; links are not followed."; break;
    case FileException::NotAFile: text = name + " is not a regular file."; break;
    case FileException::AlreadyExists: text = name + " already exists."; break;
    case FileException::Generic:
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

FileException::FileException(Cause cause, std::string path, int osError)
    : std::runtime_error(Describe(cause, path)), cause_(cause), path_(std::move(path)), osError_(osError) {}

FileException FileException::FromErrno(int error, const std::string& path) {
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
    return FileException(cause, path, error);
}

}  // namespace platform
