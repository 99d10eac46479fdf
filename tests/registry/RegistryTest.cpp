#include "RegistryTest.h"

#include <cstdlib>

void RegistryTest::SetUp() {
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Registry Conformance", root_), ERROR_SUCCESS);
}

LONG RegistryTest::Create(HKEY parent, const char* path, ScopedKey& key, DWORD* disposition) {
    return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, key.out(), disposition);
}

LONG RegistryTest::Open(HKEY parent, const char* path, ScopedKey& key, REGSAM rights) {
    return RegOpenKeyExA(parent, path, 0, rights, key.out());
}

bool RegistryTest::Exists(HKEY parent, const char* path) {
    ScopedKey key;
    return Open(parent, path, key, KEY_READ) == ERROR_SUCCESS;
}

LONG RegistryTest::SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

LONG RegistryTest::SetText(HKEY key, const char* name, const std::string& text) {
    return SetBytes(key, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

std::string RegistryTest::ReadBytes(HKEY key, const char* name, DWORD* type) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return {};
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&bytes[0]), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    bytes.resize(size);
    return bytes;
}

std::vector<std::string> RegistryTest::SubKeyNames(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    DWORD size = sizeof name;
    while (RegEnumKeyExA(key, static_cast<DWORD>(names.size()), name, &size, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS) {
        names.emplace_back(name, size);
        size = sizeof name;
    }
    return names;
}

std::vector<std::string> RegistryTest::ValueNames(HKEY key) {
    std::vector<std::string> names;
    char name[1024];
    DWORD size = sizeof name;
    while (RegEnumValueA(key, static_cast<DWORD>(names.size()), name, &size, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS) {
        names.emplace_back(name, size);
        size = sizeof name;
    }
    return names;
}

bool RunPeer(const std::vector<std::string>& arguments) {
    std::string command = "\"" REGISTRY_PEER "\"";
    for (const std::string& argument : arguments) command += " \"" + argument + "\"";
    return std::system(command.c_str()) == 0;
}
