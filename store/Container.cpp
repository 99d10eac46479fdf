#include "store/Container.h"

#include "app/FileLocations.h"
#include "identities/Settings.h"
#include "platform/File.h"

std::string GetContainerPath() { return GetDocumentsFilePath(GetGuardId() + ".dat"); }

std::string GetContainerTempPath() { return GetDocumentsFilePath(GetGuardId() + ".tmp"); }

bool IsIdentityHidden() { return platform::FileExists(GetContainerPath()); }

void DeleteContainer() {
    const std::string path = GetContainerPath();
    platform::SetFileAttributes(path, platform::AttributeNormal);
    platform::DeleteFile(path);
}
