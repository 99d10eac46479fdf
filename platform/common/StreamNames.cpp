#include "platform/common/StreamNames.h"

#include "platform/AsciiCase.h"

namespace platform {

bool IsValidStreamName(const std::string& name) {
    if (name.empty() || name.size() > 31) return false;
    return name.find_first_of("/\\:!") == std::string::npos;
}

std::string StreamNameKey(const std::string& name) { return LowerAsciiText(name); }

}  // namespace platform
