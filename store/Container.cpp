#include "store/Container.h"

#include <ctime>

#include "base/FileLocations.h"
#include "identities/Settings.h"
#include "platform/File.h"
#include "store/SourcePath.h"

std::string ContainerPathFor(const std::string& identityKeyName) {
    return IsPlainFileName(identityKeyName) ? GetDocumentsFilePath(identityKeyName + ".dat") : std::string();
}

std::string GetContainerPath() { return ContainerPathFor(GetGuardId()); }

bool IsIdentityHidden() {
    const std::string path = GetContainerPath();
    return !path.empty() && platform::FileExists(path);
}

platform::FileStatus DeleteContainer(const std::string& path) {
    if (path.empty()) return platform::FileStatus(platform::FileStatus::BadPath, path);
    platform::ApplyFileAttributes(path, platform::AttributeNormal);
    return platform::RemoveFile(path);
}

bool MoveContainerAside(const std::string& path, std::string& kept) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    const std::string base = path.substr(0, path.size() - 4) + ".kept-" + stamp;
    for (int n = 1; n < 100; ++n) {
        kept = base + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".dat";
        const platform::FileStatus moved = platform::RenameFileNoReplace(path, kept);
        if (moved.ok()) return true;
        if (moved.cause() != platform::FileStatus::AlreadyExists) return false;
    }
    return false;
}
