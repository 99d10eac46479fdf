#include "store/Container.h"

#include "base/FileLocations.h"
#include "identities/Settings.h"
#include "platform/File.h"
#include "store/SourcePath.h"

std::string GetContainerPath() {
    const std::string guardId = GetGuardId();
    return IsPlainFileName(guardId) ? GetDocumentsFilePath(guardId + ".dat") : std::string();
}

bool IsIdentityHidden() {
    const std::string path = GetContainerPath();
    return !path.empty() && platform::FileExists(path);
}

bool DeleteContainer(platform::FileException* error) {
    const std::string path = GetContainerPath();
    if (path.empty()) return false;
    platform::SetFileAttributes(path, platform::AttributeNormal);
    return platform::DeleteFile(path, error);
}
