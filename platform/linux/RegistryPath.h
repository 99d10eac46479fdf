// Key paths and name comparison of the registry stand-in.
#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

// Splits a subkey path at its backslashes into key names; empty parts (doubled or
// trailing backslashes) are skipped, so a null or empty path gives no names. A
// leading backslash is platform::RegStatus::BadPathname; a name over 255 characters is
// platform::RegStatus::InvalidParameter.
platform::RegStatus SplitKeyPath(const char* path, std::vector<std::string>& names);

// The form under which names are compared and sorted: ASCII letters upper-cased,
// every other byte kept, as the registry compares names without regard to case.
std::string FoldName(const std::string& name);
