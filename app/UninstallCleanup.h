// Removal of the program's own registry data when it is uninstalled.
#pragma once

#include <string>

#include "platform/Registry.h"

// Deletes root\parentPath\childName with all its subkeys, then parentPath itself if no
// subkey is left under it (a parentPath without a backslash is never deleted). Errors
// are silent: whatever could not be deleted stays.
void DeleteRegistryKeyTree(platform::RegKey root, const std::string& parentPath, const std::string& childName);

// Removes Software\Orlen\Veilbox of the current user, and Software\Orlen when no other
// product is left under it. The settings and the program's files are not touched.
void RemoveProgramRegistryData();
