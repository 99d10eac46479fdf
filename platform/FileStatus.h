// What a file call did: success, or the cause and the file, with the text shown to the
// user, for example "A sharing violation occurred while accessing /home/ann/mail/Inbox.dbx."
#pragma once

#include <string>

namespace platform {

class [[nodiscard]] FileStatus {
public:
    enum Cause {
        Ok,
        Generic,
        FileNotFound,
        BadPath,
        AccessDenied,
        SharingViolation,
        DiskFull,
        EndOfFile,
        HardIO,
        TooManyOpenFiles,
        LinkRefused,    // the path names a symbolic link, which is never followed
        NotAFile,       // the path names something other than a regular file
        AlreadyExists,  // an exclusive create found something at the path
    };
    FileStatus() = default;
    FileStatus(Cause cause, std::string path, int osError = 0);
    // The report for an errno value: a missing folder on the way to the file is
    // BadPath, a missing file in an existing folder FileNotFound.
    static FileStatus FromErrno(int error, const std::string& path);

    bool ok() const { return cause_ == Ok; }
    Cause cause() const { return cause_; }
    const std::string& path() const { return path_; }
    int osError() const { return osError_; }
    // The file's name and the cause in plain words; empty on success.
    const std::string& text() const { return text_; }

private:
    Cause cause_ = Ok;
    std::string path_;
    int osError_ = 0;
    std::string text_;
};

}  // namespace platform
