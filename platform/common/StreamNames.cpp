#include "platform/common/StreamNames.h"

namespace platform {

bool IsValidStreamName(const std::string& name) {
    if (name.empty() || name.size() > 31) return false;
    return name.find_first_of("/\\:!") == std::string::npos;
}

std::string StreamNameKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

}  // namespace platform
