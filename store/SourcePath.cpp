#include "store/SourcePath.h"

#include "platform/File.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

bool HasStoreFileName(const std::string& path) {
    static const char kExtension[] = ".dbx";
    const size_t slash = path.find_last_of(platform::kPathSeparator);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() < 4) return false;
    for (size_t k = 0; k < 4; ++k) {
        char c = name[name.size() - 4 + k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kExtension[k]) return false;
    }
    return true;
}

bool IsSafeSourcePath(const std::string& path) {
    if (path.empty() || path[0] != platform::kPathSeparator) return false;
    // Either separator ends a part: a ".." must not slip through on any platform the
    // container may travel to.
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (path.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return HasStoreFileName(path);
}
