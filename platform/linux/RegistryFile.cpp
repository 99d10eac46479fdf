#include "platform/linux/RegistryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Shell.h"
#include "platform/linux/HomeFolder.h"
#include "platform/linux/UniqueFd.h"

namespace {

// mkdir -p for the folders above path, each new one private to the user.
bool MakeParentFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

}  // namespace

std::string DefaultRegistryLocation() {
    std::string explicitPath = platform::EnvironmentValue("VEILBOX_REGISTRY");
    if (!explicitPath.empty()) return explicitPath;
    // Relative XDG values are invalid by the base-directory rules and are ignored.
    std::string data = platform::EnvironmentValue("XDG_DATA_HOME");
    if (data.empty() || data[0] != '/') {
        std::string home = platform::HomeFolder();
        if (home.empty()) return std::string();
        data = home + "/.local/share";
    }
    return data + "/veilbox/registry.db";
}

bool PrepareRegistryFile(const std::string& path) {
    if (path.empty() || !MakeParentFolders(path)) return false;
    platform::UniqueFd file(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!file) return false;
    struct stat info {};
    if (fstat(file.Get(), &info) != 0) return false;
    if (info.st_uid == geteuid() && (info.st_mode & 077) != 0) {
        return fchmod(file.Get(), info.st_mode & 0700) == 0;
    }
    return true;
}
