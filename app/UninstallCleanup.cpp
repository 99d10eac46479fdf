#include "app/UninstallCleanup.h"

#include "identities/RegistryKey.h"

void DeleteRegistryKeyTree(platform::RegKey root, const std::string& parentPath, const std::string& childName) {
    RegistryKey parent;
    if (parent.Open(root, parentPath, platform::KeyAccess::AllAccess) != platform::RegStatus::Success) return;
    // A child that could not be deleted completely keeps the parent alive below.
    (void)parent.DeleteSubtree(childName);

    char name[256];
    uint32_t size = sizeof name;
    const bool empty = RegEnumKeyExA(parent.Handle(), 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
                       platform::RegStatus::NoMoreItems;
    (void)parent.Close();  // the key is only read here
    const size_t slash = parentPath.rfind('\\');
    if (!empty || slash == std::string::npos) return;

    RegistryKey grandparent;
    if (grandparent.Open(root, parentPath.substr(0, slash), platform::KeyAccess::AllAccess) ==
        platform::RegStatus::Success) {
        (void)RegDeleteKeyA(grandparent.Handle(), parentPath.substr(slash + 1).c_str());
    }
}

void RemoveProgramRegistryData() { DeleteRegistryKeyTree(platform::RegKey::CurrentUser, "Software\\Orlen", "Veilbox"); }
