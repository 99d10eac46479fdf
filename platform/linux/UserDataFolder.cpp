#include "platform/Shell.h"
#include "platform/linux/HomeFolder.h"
#include "platform/linux/PosixFiles.h"

namespace platform {

std::string UserDataFolder() {
    const std::string folder = ProgramDataFolderPath();
    return !folder.empty() && MakeFoldersAbove(folder + "/") ? folder : std::string();
}

}  // namespace platform
