// Names of the streams of a compound file, as both backends check and compare them.
#pragma once

#include <string>

namespace platform {

// Names a compound file accepts: 1 to 31 characters, none of / \ : !
bool IsValidStreamName(const std::string& name);

// Element names compare without regard to case, as they do on Windows: two names
// are the same exactly when their keys are equal (ASCII letters folded), so names can
// be looked up in a hash.
std::string StreamNameKey(const std::string& name);

}  // namespace platform
