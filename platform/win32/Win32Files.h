// What the win32 file and compound-file code shares: the report for a system error,
// and the checks that keep a path from being followed through a link.
#pragma once

#include <string>

#include "platform/FileStatus.h"
#include "platform/win32/Win32.h"

namespace platform {

// The report for a GetLastError() value about path.
FileStatus FileStatusFromWin32(DWORD error, const std::string& path);
// True when path names a link (a reparse point), which no open here follows.
bool IsLinkPath(const std::string& path);
// The folder part of path (".", for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace platform
