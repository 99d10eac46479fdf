#include "platform/linux/RegistryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


#include "platform/Shell.h"
#include "platform/linux/HomeFolder.h"
#include "platform/linux/PosixFiles.h"
#include "platform/linux/UniqueFd.h"

std::string DefaultRegistryLocation() {
    std::string explicitPath = platform::EnvironmentValue("VEILBOX_REGISTRY");
    if (!explicitPath.empty()) return explicitPath;
    const std::string folder = platform::ProgramDataFolderPath();
    return folder.empty() ? std::string() : folder + "/registry.db";
}

bool PrepareRegistryFile(const std::string& path) {
    if (path.empty() || !platform::MakeFoldersAbove(path)) return false;
    platform::UniqueFd file(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!file) return false;
    struct stat info {};
    if (fstat(file.Get(), &info) != 0) return false;
    if (info.st_uid == geteuid() && (info.st_mode & 077) != 0) {
        return fchmod(file.Get(), info.st_mode & 0700) == 0;
    }
    return true;
}
