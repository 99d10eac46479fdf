// Linux paths named the way Wine names them: the Linux root is its drive Z:.
#include <string>

#include "platform/File.h"
#include "platform/Shell.h"

namespace platform {

bool IsOtherSystemPath(const std::string& path) { return path.size() >= 2 && path[0] == '/' && path[1] != '/'; }

std::string FolderFromOtherSystem(const std::string& path) {
    // On Windows proper, Z: is whatever the user mapped there, not a Linux root.
    if (!IsOtherSystemPath(path) || !RunsUnderWine()) return std::string();
    std::string folder = "Z:";
    size_t start = 1;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == ".." || part.find('\\') != std::string::npos) return std::string();
        folder += '\\' + part;
    }
    return folder == "Z:" ? "Z:\\" : folder;
}

}  // namespace platform
