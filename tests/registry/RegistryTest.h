// The registry conformance suite uses nothing but the Win32 registry calls (and a
// private HKEY_CURRENT_USER from TempRegistry), so the same tests can judge any backend.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/OwnedKey.h"
#include "support/TempRegistry.h"

using platform::OwnedKey;

inline LONG Create(HKEY parent, const char* path, OwnedKey& key, DWORD* disposition = nullptr) {
    HKEY handle = nullptr;
    const LONG status = RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, disposition);
    key = OwnedKey(handle);
    return status;
}
inline LONG Open(HKEY parent, const char* path, OwnedKey& key, REGSAM rights = KEY_ALL_ACCESS) {
    HKEY handle = nullptr;
    const LONG status = RegOpenKeyExA(parent, path, 0, rights, &handle);
    key = OwnedKey(handle);
    return status;
}
inline LONG SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
}
// Text with its terminating zero, as REG_SZ.
inline LONG SetText(HKEY key, const char* name, const std::string& text) {
    return SetBytes(key, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}
// The stored bytes of a value; empty when it cannot be read.
inline std::string ReadBytes(HKEY key, const char* name, DWORD* type = nullptr) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return {};
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&bytes[0]), &size)) return {};
    return bytes.substr(0, size);
}
// Subkey or value names by index until the first failure.
inline std::vector<std::string> Names(HKEY key, bool subkeys) {
    std::vector<std::string> names;
    char name[1024];
    for (DWORD size = sizeof name;; size = sizeof name) {
        const DWORD i = DWORD(names.size());
        if ((subkeys ? RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)
                     : RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)) != ERROR_SUCCESS)
            return names;
        names.emplace_back(name, size);
    }
}

// Every test works under a fresh key of its own registry.
class RegistryTest : public ::testing::Test {
protected:
    static constexpr const char* kRoot = "Software\\Registry Conformance";
    void SetUp() override { ASSERT_EQ(Create(HKEY_CURRENT_USER, kRoot, root_), ERROR_SUCCESS); }
    HKEY root() const { return root_.Get(); }

private:
    TempRegistry registry_;
    OwnedKey root_;
};
