// The separator between the parts of a path, and what makes a path a full one; File.h
// and Shell.h both offer them.
#pragma once

#include <string>

namespace platform {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// True for a path from the root of a file system: "/..." on Linux; on Windows a drive's
// "C:\..." (either slash) or a network share's "\\server\...".
inline bool IsAbsolutePath(const std::string& path) {
#ifdef _WIN32
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && slash(path[2]);
    return drive || (path.size() >= 3 && slash(path[0]) && slash(path[1]) && !slash(path[2]));
#else
    return !path.empty() && path[0] == '/';
#endif
}

// The other system a container may come from or travel to: its separator, and whether
// its file names ignore case.
#ifdef _WIN32
constexpr char kOtherSystemSeparator = '/';
constexpr bool kOtherSystemIgnoresCase = false;
#else
constexpr char kOtherSystemSeparator = '\\';
constexpr bool kOtherSystemIgnoresCase = true;
#endif

// Whether a file's permission bits say who may read it (Linux). On Windows the folder's
// access list does, and a file knows only read-only.
#ifdef _WIN32
constexpr bool kFilesCarryPermissionBits = false;
#else
constexpr bool kFilesCarryPermissionBits = true;
#endif

}  // namespace platform
