// Files on the Windows API: every open is share mode 0, so nobody else, in this process
// or another, opens a file while we hold it (error 32, a sharing violation).
#include "platform/File.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/OwnerOnlySecurity.h"
#include "platform/win32/Win32Files.h"

namespace platform {

namespace {

DWORD Access(File::Mode mode) {
    switch (mode) {
    case File::Mode::Read: return GENERIC_READ;
    // A file opened to change it may also be moved through its handle.
    case File::Mode::ReadWrite:
    case File::Mode::CreateReadWrite: return GENERIC_READ | GENERIC_WRITE | DELETE;
    case File::Mode::CreateWrite:
    case File::Mode::CreateNew: return GENERIC_WRITE;
    }
    return GENERIC_READ;
}

DWORD Disposition(File::Mode mode) {
    switch (mode) {
    case File::Mode::Read:
    case File::Mode::ReadWrite: return OPEN_EXISTING;
    case File::Mode::CreateWrite:
    case File::Mode::CreateReadWrite: return CREATE_ALWAYS;
    case File::Mode::CreateNew: return CREATE_NEW;
    }
    return OPEN_EXISTING;
}

HANDLE Native(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// 100-nanosecond ticks between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochTicks = 116444736000000000LL;

}  // namespace

File::~File() {
    if (handle_ >= 0) ::CloseHandle(Native(handle_));
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_ >= 0) ::CloseHandle(Native(handle_));
        handle_ = std::exchange(other.handle_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

FileStatus File::Open(const std::string& path, Mode mode, File& out, Permissions permissions) {
    if (IsLinkPath(path)) return FileStatus(FileStatus::LinkRefused, path);
    const bool creates = mode == Mode::CreateWrite || mode == Mode::CreateReadWrite || mode == Mode::CreateNew;
    const bool secret = creates && permissions == OwnerOnly;
    // Built only for a secret file: it reads the user's account from the process token.
    std::optional<OwnerOnlySecurity> privateFile;
    if (secret && !privateFile.emplace().Valid()) return FileStatus(FileStatus::AccessDenied, path);
    // FILE_FLAG_OPEN_REPARSE_POINT: should a link appear after the check, the open
    // gets the link itself, never its target.
    // Reading the attributes is part of every open: Stamp and SetStamp need it.
    HANDLE handle = ::CreateFileA(path.c_str(), Access(mode) | FILE_READ_ATTRIBUTES, 0,
                                  secret ? privateFile->Attributes() : nullptr, Disposition(mode),
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    // A file that was there keeps its own access list through a truncating create.
    const bool existed = handle != INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || (error == ERROR_ACCESS_DENIED && ::GetFileAttributesA(path.c_str()) &
                                                                               FILE_ATTRIBUTE_DIRECTORY &&
                                           mode == Mode::CreateNew)) {
            return FileStatus(FileStatus::AlreadyExists, path, static_cast<int>(error));
        }
        return FileStatusFromWin32(error, path);
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return FileStatus(FileStatus::NotAFile, path);
    }
    if (secret && existed && !privateFile->ApplyTo(path)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        return FileStatusFromWin32(error, path);
    }
    File file;
    file.handle_ = reinterpret_cast<intptr_t>(handle);
    file.path_ = path;
    out = std::move(file);
    return FileStatus();
}

FileStatus File::Read(void* buffer, size_t size, size_t& got) {
    got = 0;
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    char* bytes = static_cast<char*>(buffer);
    while (got < size) {
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(size - got, 1u << 30));
        if (!::ReadFile(Native(handle_), bytes + got, ask, &n, nullptr)) {
            return FileStatusFromWin32(::GetLastError(), path_);
        }
        if (n == 0) break;
        got += n;
    }
    return FileStatus();
}

FileStatus File::Write(const void* buffer, size_t size) {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    const char* bytes = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < size) {
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        if (!::WriteFile(Native(handle_), bytes + done, ask, &n, nullptr)) {
            return FileStatusFromWin32(::GetLastError(), path_);
        }
        if (n == 0) return FileStatus(FileStatus::DiskFull, path_, ERROR_DISK_FULL);
        done += n;
    }
    return FileStatus();
}

FileStatus File::Seek(uint64_t offset) {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (offset > static_cast<uint64_t>(INT64_MAX) || !::SetFilePointerEx(Native(handle_), to, nullptr, FILE_BEGIN)) {
        return FileStatus(FileStatus::Generic, path_, ERROR_NEGATIVE_SEEK);
    }
    return FileStatus();
}

FileStatus File::Length(uint64_t& length) const {
    length = 0;
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(Native(handle_), &size)) return FileStatusFromWin32(::GetLastError(), path_);
    length = static_cast<uint64_t>(size.QuadPart);
    return FileStatus();
}

FileStatus File::Flush() {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    if (!::FlushFileBuffers(Native(handle_))) return FileStatusFromWin32(::GetLastError(), path_);
    return FileStatus();
}

FileStatus File::Stamp(FileStamp& stamp) const {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(Native(handle_), &info)) return FileStatusFromWin32(::GetLastError(), path_);
    const int64_t ticks =
        (static_cast<int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime) -
        kEpochTicks;
    // Read-only is the only permission a Windows file carries.
    stamp.mode = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644;
    stamp.modifiedSeconds = ticks / 10000000;
    stamp.modifiedNanoseconds = static_cast<uint32_t>(ticks % 10000000) * 100;
    if (ticks < 0 && stamp.modifiedNanoseconds) {
        stamp.modifiedSeconds -= 1;
        stamp.modifiedNanoseconds = static_cast<uint32_t>(10000000 + ticks % 10000000) * 100;
    }
    return FileStatus();
}

FileStatus File::SetStamp(const FileStamp& stamp) {
    if (handle_ < 0) return FileStatus(FileStatus::Generic, path_);
    if (stamp.modifiedNanoseconds >= 1000000000u) return FileStatus(FileStatus::Generic, path_, ERROR_INVALID_PARAMETER);
    const int64_t ticks = stamp.modifiedSeconds * 10000000 + stamp.modifiedNanoseconds / 100 + kEpochTicks;
    if (ticks < 0) return FileStatus(FileStatus::Generic, path_, ERROR_INVALID_PARAMETER);
    // One call gives the file both its time and its read-only attribute.
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(Native(handle_), FileBasicInfo, &basic, sizeof basic)) {
        return FileStatusFromWin32(::GetLastError(), path_);
    }
    if (stamp.mode & 0200) {
        basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    } else {
        basic.FileAttributes |= FILE_ATTRIBUTE_READONLY;
    }
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    basic.LastWriteTime.QuadPart = ticks;
    if (!::SetFileInformationByHandle(Native(handle_), FileBasicInfo, &basic, sizeof basic)) {
        return FileStatusFromWin32(::GetLastError(), path_);
    }
    return FileStatus();
}

FileStatus File::RenameNoReplace(const std::string& to) {
    if (handle_ < 0) return FileStatusFromWin32(ERROR_INVALID_HANDLE, path_);
    // No other open can reach a file held with share mode 0, a rename by path included.
    const int characters = ::MultiByteToWideChar(CP_ACP, 0, to.c_str(), -1, nullptr, 0);
    if (characters <= 0) return FileStatusFromWin32(::GetLastError(), to);
    std::vector<uint8_t> bytes(sizeof(FILE_RENAME_INFO) + sizeof(WCHAR) * static_cast<size_t>(characters));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(bytes.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(sizeof(WCHAR) * static_cast<size_t>(characters - 1));
    ::MultiByteToWideChar(CP_ACP, 0, to.c_str(), -1, rename->FileName, characters);
    if (!::SetFileInformationByHandle(Native(handle_), FileRenameInfo, rename, static_cast<DWORD>(bytes.size()))) {
        return FileStatusFromWin32(::GetLastError(), to);
    }
    path_ = to;
    if (!FlushFolder(FolderOf(to))) return FileStatusFromWin32(ERROR_WRITE_FAULT, to);
    return FileStatus();
}

FileStatus File::Close() {
    if (handle_ < 0) return FileStatus();
    HANDLE handle = Native(std::exchange(handle_, -1));
    if (!::CloseHandle(handle)) return FileStatusFromWin32(::GetLastError(), path_);
    return FileStatus();
}

}  // namespace platform
