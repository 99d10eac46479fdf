#include "app/UninstallCleanup.h"

#include "identities/RegistryKey.h"

void DeleteRegistryKeyTree(HKEY root, const std::string& parentPath, const std::string& childName) {
    RegistryKey parent;
    if (parent.Open(root, parentPath, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
    // A child that could not be deleted completely keeps the parent alive below.
    (void)parent.DeleteSubtree(childName);

    char name[256];
    DWORD size = sizeof name;
    const bool empty = RegEnumKeyExA(parent.Handle(), 0, name, &size, nullptr, nullptr, nullptr,
                                     nullptr) == ERROR_NO_MORE_ITEMS;
    parent.Close();
    const size_t slash = parentPath.rfind('\\');
    if (!empty || slash == std::string::npos) return;

    RegistryKey grandparent;
    if (grandparent.Open(root, parentPath.substr(0, slash), KEY_ALL_ACCESS) == ERROR_SUCCESS) {
        RegDeleteKeyA(grandparent.Handle(), parentPath.substr(slash + 1).c_str());
    }
}

void RemoveProgramRegistryData() { DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Software\\Orlen", "Veilbox"); }
