#include "platform/linux/RegistryPath.h"

namespace {
constexpr size_t kMaxKeyNameLength = 255;
}

platform::RegStatus SplitKeyPath(const char* path, std::vector<std::string>& names) {
    names.clear();
    if (!path) return platform::RegStatus::Success;
    if (*path == '\\') return platform::RegStatus::BadPathname;
    std::string part;
    for (const char* p = path;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (!part.empty()) {
                if (part.size() > kMaxKeyNameLength) return platform::RegStatus::InvalidParameter;
                names.push_back(std::move(part));
                part.clear();
            }
            if (*p == '\0') break;
        } else {
            part.push_back(*p);
        }
    }
    return platform::RegStatus::Success;
}

std::string FoldName(const std::string& name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}
