// The VERSIONINFO resource of a program file, read with the version API.
#include <vector>

#include "platform/Shell.h"
#include "platform/win32/Win32.h"

namespace platform {

namespace {

bool LoadRecord(const std::string& path, std::vector<char>& bytes) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return false;
    bytes.assign(size, 0);
    return ::GetFileVersionInfoA(path.c_str(), 0, size, bytes.data()) != 0;
}

}  // namespace

bool ReadVersionRecord(const std::string& path, VersionRecord& out) {
    std::vector<char> bytes;
    if (!LoadRecord(path, bytes)) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(bytes.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
        return false;
    }
    out.fileVersionMS = fixed->dwFileVersionMS;
    out.fileVersionLS = fixed->dwFileVersionLS;
    out.productVersionMS = fixed->dwProductVersionMS;
    out.productVersionLS = fixed->dwProductVersionLS;
    out.fileFlagsMask = fixed->dwFileFlagsMask;
    out.fileFlags = fixed->dwFileFlags;
    out.fileOS = fixed->dwFileOS;
    out.fileType = fixed->dwFileType;
    return true;
}

// The record's one string table is US English, Unicode (made from the same list as
// the Linux section, in cmake/VersionRecord.cmake).
bool ReadVersionString(const std::string& path, const std::string& key, std::string& out) {
    std::vector<char> bytes;
    if (!LoadRecord(path, bytes)) return false;
    char* value = nullptr;
    UINT length = 0;
    const std::string query = "\\StringFileInfo\\040904B0\\" + key;
    if (!::VerQueryValueA(bytes.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return false;
    out.assign(value, length && value[length - 1] == '\0' ? length - 1 : length);
    return true;
}

}  // namespace platform
