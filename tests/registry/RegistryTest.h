// Shared pieces of the registry conformance suite. The suite uses nothing but the
// Win32 registry calls (and a private HKEY_CURRENT_USER from TempRegistry), so the
// same tests can judge any backend.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"
#include "support/TempRegistry.h"

// Closes its handle when it goes out of scope, so a failing test leaks nothing.
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() { Reset(); }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    HKEY get() const { return key_; }
    // Where an API call may store a new handle (the old one is closed first).
    HKEY* out() { return Reset(), &key_; }
    HKEY release() { return std::exchange(key_, nullptr); }
    void Reset() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Create(HKEY_CURRENT_USER, kRoot, root_), ERROR_SUCCESS); }
    // A fresh key below HKEY_CURRENT_USER that each test works under.
    static constexpr const char* kRoot = "Software\\Registry Conformance";
    HKEY root() const { return root_.get(); }

    static LONG Create(HKEY parent, const char* path, ScopedKey& key, DWORD* disposition = nullptr) {
        return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.out(),
                               disposition);
    }
    static LONG Open(HKEY parent, const char* path, ScopedKey& key, REGSAM rights = KEY_ALL_ACCESS) {
        return RegOpenKeyExA(parent, path, 0, rights, key.out());
    }
    static bool Exists(HKEY parent, const char* path) {
        ScopedKey key;
        return Open(parent, path, key, KEY_READ) == ERROR_SUCCESS;
    }
    static LONG SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes) {
        return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
    }
    // Text with its terminating zero, as REG_SZ.
    static LONG SetText(HKEY key, const char* name, const std::string& text) {
        return SetBytes(key, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
    }
    // The stored bytes of a value (type optional); empty when it cannot be read.
    static std::string ReadBytes(HKEY key, const char* name, DWORD* type = nullptr) {
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return {};
        std::string bytes(size, '\0');
        if (RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&bytes[0]), &size) != ERROR_SUCCESS)
            return {};
        return bytes.substr(0, size);
    }
    // Names by index until the first failure.
    static std::vector<std::string> SubKeyNames(HKEY key) { return Names(key, true); }
    static std::vector<std::string> ValueNames(HKEY key) { return Names(key, false); }

private:
    static std::vector<std::string> Names(HKEY key, bool subkeys) {
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
    TempRegistry registry_;
    ScopedKey root_;
};

// Runs the peer process (a second program using the same registry); true when it reports success.
inline bool RunPeer(const std::vector<std::string>& arguments) {
    std::string command = "\"" REGISTRY_PEER "\"";
    for (const std::string& argument : arguments) command += " \"" + argument + "\"";
    return std::system(command.c_str()) == 0;
}
