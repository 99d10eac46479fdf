#include "platform/FileStatus.h"

#include <cctype>

namespace platform {

namespace {

// How each cause is put to the user: the words before the file's name and after it.
struct Wording {
    FileStatus::Cause cause;
    const char* before;
    const char* after;
};
constexpr Wording kWordings[] = {
    {FileStatus::FileNotFound, "", " was not found."},
    {FileStatus::BadPath, "", " contains an incorrect path."},
    {FileStatus::AccessDenied, "Access to ", " was denied."},
    {FileStatus::SharingViolation, "A sharing violation occurred while accessing ", "."},
    {FileStatus::DiskFull, "There is not enough space on the disk to write ", "."},
    {FileStatus::EndOfFile, "An attempt was made to access ", " past its end."},
    {FileStatus::HardIO, "A hardware I/O error was reported while accessing ", "."},
    {FileStatus::TooManyOpenFiles, "Could not open ", " because there are too many open files."},
    {FileStatus::LinkRefused, "", " is a symbolic link; links are not followed."},
    {FileStatus::NotAFile, "", " is not a regular file."},
    {FileStatus::AlreadyExists, "", " already exists."},
};
// Every other cause (Generic, and Ok, which is never described).
constexpr Wording kUnknownWording = {FileStatus::Generic, "An unknown error occurred while accessing ", "."};

// The text shown to the user: the file's name and the cause in plain words.
std::string Describe(FileStatus::Cause cause, const std::string& path) {
    const std::string name = path.empty() ? "an unnamed file" : path;
    const Wording* wording = &kUnknownWording;
    for (const Wording& w : kWordings) {
        if (w.cause == cause) wording = &w;
    }
    std::string text = wording->before + name + wording->after;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

}  // namespace

FileStatus::FileStatus(Cause cause, std::string path, int osError)
    : cause_(cause),
      path_(std::move(path)),
      osError_(osError),
      text_(cause == Ok ? std::string() : Describe(cause, path_)) {}

}  // namespace platform
