// Shared pieces of the registry conformance suite. The suite uses nothing but the
// Win32 registry calls (and a private HKEY_CURRENT_USER from TempRegistry), so the
// same tests can judge any backend.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempRegistry.h"
#include "platform/Registry.h"

// Closes its handle when it goes out of scope, so a failing test leaks nothing.
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() { Reset(); }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    HKEY get() const { return key_; }
    // Where an API call may store a new handle (the old one is closed first).
    HKEY* out() {
        Reset();
        return &key_;
    }
    HKEY release() {
        HKEY key = key_;
        key_ = nullptr;
        return key;
    }
    void Reset() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override;

    // A fresh key below HKEY_CURRENT_USER that each test works under.
    HKEY root() const { return root_.get(); }

    static LONG Create(HKEY parent, const char* path, ScopedKey& key, DWORD* disposition = nullptr);
    static LONG Open(HKEY parent, const char* path, ScopedKey& key, REGSAM rights = KEY_ALL_ACCESS);
    static bool Exists(HKEY parent, const char* path);
    static LONG SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes);
    // Text with its terminating zero, as REG_SZ.
    static LONG SetText(HKEY key, const char* name, const std::string& text);
    // The stored bytes of a value (type optional); empty when it cannot be read.
    static std::string ReadBytes(HKEY key, const char* name, DWORD* type = nullptr);
    static std::vector<std::string> SubKeyNames(HKEY key);
    static std::vector<std::string> ValueNames(HKEY key);

private:
    TempRegistry registry_;
    ScopedKey root_;
};

// Runs the peer process (a second program using the same registry) and returns true
// when it reports success.
bool RunPeer(const std::vector<std::string>& arguments);
