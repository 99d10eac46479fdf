// The separator between the parts of a path; File.h and Shell.h both offer it.
#pragma once

namespace platform {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

}  // namespace platform
