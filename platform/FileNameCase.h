// Whether the file system treats names that differ only in letter case as one name.
// Windows does; the file systems we meet on Linux do not, so a path must keep the case
// it was stored with there.
#pragma once

namespace platform {

#ifdef _WIN32
constexpr bool kFileNamesIgnoreCase = true;
#else
constexpr bool kFileNamesIgnoreCase = false;
#endif

}  // namespace platform
