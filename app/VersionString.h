// The program's version as shown on the main page and in the support mail, read from
// the version record of a program file so that a rebuilt program needs no code change.
#pragma once

#include <cstdint>
#include <string>

// "v<major>.<minor>", the patch appended directly when it is not 0, then by form:
// 0 " (build <n>)", 1 ".<n>", 2 or more nothing; the build is shown only above 10.
// An empty path means the running program. "v?.?" when the file has no version record.
std::string FormatVersionString(const std::string& path, int form);
// The build field of the file's version record; 0 when it has none.
uint16_t GetBuildNumber(const std::string& path);
