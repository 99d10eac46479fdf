// The user's documents folder: the XDG "DOCUMENTS" user directory, else ~/Documents.
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/Shell.h"
#include "platform/linux/HomeFolder.h"

namespace platform {

namespace {

// One line of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents" or an absolute path in
// quotes, with backslash escapes. Anything else is not a usable value.
bool ParseDocumentsLine(const std::string& line, const std::string& home, std::string& out) {
    static const std::string key = "XDG_DOCUMENTS_DIR";
    size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line.compare(pos, key.size(), key) != 0) return false;
    pos = line.find_first_not_of(" \t", pos + key.size());
    if (pos == std::string::npos || line[pos] != '=') return false;
    pos = line.find_first_not_of(" \t", pos + 1);
    if (pos == std::string::npos || line[pos] != '"') return false;

    std::string value;
    bool closed = false;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            closed = true;
            break;
        }
        if (c == '\\' && pos + 1 < line.size()) c = line[++pos];
        value += c;
    }
    if (!closed) return false;

    static const std::string homeVar = "$HOME";
    if (value.compare(0, homeVar.size(), homeVar) == 0 &&
        (value.size() == homeVar.size() || value[homeVar.size()] == '/')) {
        if (home.empty()) return false;
        out = home + value.substr(homeVar.size());
        return true;
    }
    if (!value.empty() && value[0] == '/') {
        out = value;
        return true;
    }
    return false;
}

std::string ConfiguredDocumentsFolder(const std::string& home) {
    std::string config = EnvironmentValue("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        if (home.empty()) return std::string();
        config = home + "/.config";
    }
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line, folder, candidate;
    // The file is shell syntax, so a later assignment overrides an earlier one.
    while (std::getline(in, line)) {
        if (ParseDocumentsLine(line, home, candidate)) folder = candidate;
    }
    return folder;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates the folder and any missing parents, private to the user, because the
// encrypted container is kept there.
bool MakeFolders(const std::string& path) {
    for (size_t pos = path.find('/', 1);; pos = path.find('/', pos + 1)) {
        std::string part = path.substr(0, pos);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (pos == std::string::npos) break;
    }
    return IsFolder(path);
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string GetDocumentsFolder() {
    std::string home = HomeFolder();
    std::string folder = ConfiguredDocumentsFolder(home);
    if (folder.empty()) {
        if (home.empty()) return std::string();
        folder = home + "/Documents";
    }
    folder = WithoutTrailingSeparators(folder);
    if (IsFolder(folder) || MakeFolders(folder)) return folder;
    return std::string();
}

}  // namespace platform
