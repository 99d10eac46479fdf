// Windows paths named the way Wine names them on this system.
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/File.h"
#include "platform/Shell.h"
#include "platform/linux/HomeFolder.h"

namespace platform {

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// The folder drive letter `drive` (lower case) stands for, or empty.
std::string DriveRoot(char drive) {
    std::string prefix = EnvironmentValue("WINEPREFIX");
    if (prefix.empty()) {
        const std::string home = HomeFolder();
        if (!home.empty()) prefix = home + "/.wine";
    }
    if (!prefix.empty()) {
        const std::string link = prefix + "/dosdevices/" + drive + ":";
        char resolved[PATH_MAX];
        if (::realpath(link.c_str(), resolved) != nullptr && IsDirectory(resolved)) return resolved;
    }
    return drive == 'z' ? "/" : std::string();
}

// The entry of `folder` named `part`: itself when it exists, else the one entry whose
// name differs only in case; empty when there is none or more than one.
std::string MatchEntry(const std::string& folder, const std::string& part) {
    const std::string exact = folder + (folder == "/" ? "" : "/") + part;
    if (FileExists(exact)) return part;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return std::string();
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(dir)) {
        if (SameIgnoringAsciiCase(entry->d_name, part)) matches.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return matches.size() == 1 ? matches.front() : std::string();
}

}  // namespace

bool IsOtherSystemPath(const std::string& path) {
    return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
           path[1] == ':' && IsSlash(path[2]);
}

std::string FolderFromOtherSystem(const std::string& path) {
    if (!IsOtherSystemPath(path)) return std::string();
    std::string folder = DriveRoot(LowerAscii(path[0]));
    if (folder.empty()) return std::string();
    // Parts are matched against the disk until one does not exist; the rest is taken
    // as written, since nothing can say how a folder to be created should be spelt.
    bool onDisk = true;
    size_t start = 3;
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSlash(path[end])) ++end;
        std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::string();
        if (onDisk) {
            const std::string found = MatchEntry(folder, part);
            if (found.empty()) {
                onDisk = false;
            } else {
                part = found;
            }
        }
        if (folder != "/") folder += '/';
        folder += part;
    }
    return folder;
}

}  // namespace platform
