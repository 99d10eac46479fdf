#include "platform/linux/HomeFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "platform/Shell.h"

namespace platform {

std::string HomeFolder() {
    std::string home = EnvironmentValue("HOME");
    if (!home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return std::string();
}

std::string DataHome() {
    std::string data = EnvironmentValue("XDG_DATA_HOME");
    if (!data.empty() && data[0] == '/') return data;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.local/share";
}

std::string ProgramDataFolderPath() {
    const std::string data = DataHome();
    return data.empty() ? std::string() : data + "/veilbox";
}

}  // namespace platform
