// Whole-file operations by path on the Windows API: existence, delete, rename,
// attributes, folders, and the wildcard search of one folder.
#include "platform/File.h"
#include "platform/common/FindOrder.h"
#include "platform/win32/Win32Files.h"

namespace platform {

namespace {

FileStatus LastError(const std::string& path) { return FileStatusFromWin32(::GetLastError(), path); }

FileStatus Rename(const std::string& from, const std::string& to, DWORD flags) {
    if (::GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) return LastError(from);
    // Windows refuses to replace a read-only file; Wine replaces it. Refused here on both.
    const DWORD target = ::GetFileAttributesA(to.c_str());
    if ((flags & MOVEFILE_REPLACE_EXISTING) && target != INVALID_FILE_ATTRIBUTES &&
        (target & FILE_ATTRIBUTE_READONLY)) {
        return FileStatus(FileStatus::AccessDenied, to, ERROR_ACCESS_DENIED);
    }
    if (!::MoveFileExA(from.c_str(), to.c_str(), flags)) return LastError(to);
    return FileStatus();
}

}  // namespace

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FileStatus RemoveFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return FileStatus(FileStatus::AccessDenied, path, ERROR_ACCESS_DENIED);
    }
    if (!::DeleteFileA(path.c_str())) return LastError(path);
    return FileStatus();
}

// MOVEFILE_WRITE_THROUGH: the call returns once the rename is on the disk.
FileStatus RenameFile(const std::string& from, const std::string& to) {
    return Rename(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

FileStatus RenameFileDeferred(const std::string& from, const std::string& to) {
    return Rename(from, to, MOVEFILE_REPLACE_EXISTING);
}

FileStatus RenameFileNoReplace(const std::string& from, const std::string& to) {
    FileStatus status = Rename(from, to, MOVEFILE_WRITE_THROUGH);
    if (status.cause() == FileStatus::AccessDenied && FileExists(to)) {
        return FileStatus(FileStatus::AlreadyExists, to, status.osError());
    }
    return status;
}

bool ApplyFileAttributes(const std::string& path, uint32_t attributes) {
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    DWORD wanted = attributes & kept;
    return ::SetFileAttributesA(path.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL) != 0;
}

uint32_t ReadFileAttributes(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0xFFFFFFFFu;
    uint32_t ours = attributes & (AttributeReadOnly | AttributeHidden | AttributeDirectory);
    return ours ? ours : static_cast<uint32_t>(AttributeNormal);
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder's entries are made durable by the file system's own journal once the
// calls that changed them return (renames here are write-through); an open of the
// folder proves it is still there.
bool FlushFolder(const std::string& folder) { return IsDirectory(folder); }

// Windows offers no flush of a whole volume to a user without administrator rights:
// every file is flushed on its own.
bool FlushFileSystemOf(const std::string&) { return false; }

bool CanFlushFileSystem() { return false; }

std::vector<FindEntry> FindFiles(const std::string& folder, const std::string& pattern) {
    std::vector<FindEntry> entries;
    WIN32_FIND_DATAA data;
    HANDLE search = ::FindFirstFileA((folder + "\\" + pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        const bool directory = !link && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        const bool regular = !link && !directory && !(data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE);
        const uint64_t size = regular ? (static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) : 0;
        entries.push_back({name, directory, link, regular, size});
    } while (::FindNextFileA(search, &data));
    ::FindClose(search);
    SortByNameIgnoringCase(entries);
    return entries;
}

}  // namespace platform
