// Every identity test runs on a private registry database with two listed identities,
// Alice (protected, guardid) and Bob.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "RegistryTree.h"
#include "identities/IdentityCatalogue.h"
#include "identities/RegistryBackup.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"
#include "support/TempRegistry.h"

inline std::string Bytes(const CBlob& blob) {
    return std::string(reinterpret_cast<const char*>(blob.Data()), blob.Length());
}

inline void SetBytes(CBlob& blob, const std::string& bytes) {
    blob.Free();
    ASSERT_TRUE(blob.Append(bytes.data(), bytes.size()));
}

class IdentityFixture : public ::testing::Test {
protected:
    static constexpr const char* kAlice = "{A11CE000-0000-0000-0000-000000000001}";
    static constexpr const char* kBob = "{B0B00000-0000-0000-0000-000000000002}";

    void SetUp() override {
        AddIdentity(kAlice, "Alice", "alice-id", "%UserProfile%\\Alice");
        AddIdentity(kBob, "Bob", "bob-id", "C:\\Bob");
        ASSERT_TRUE(SetGuardId(kAlice));
    }
    std::string AlicePath() const { return IdentityPath(kAlice); }
    static void DeleteKey(const std::string& path) {
        RegistryKey parent;
        const size_t slash = path.rfind('\\');
        const std::string above = slash == std::string::npos ? "" : path.substr(0, slash);
        ASSERT_EQ(ERROR_SUCCESS, parent.Open(HKEY_CURRENT_USER, above, KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, parent.DeleteSubtree(path.substr(slash + 1)));
    }
    // Replaces Alice's key with exactly `tree`.
    void ReplaceAlice(const TreeKey& tree) {
        DeleteKey(AlicePath());
        WriteTree(AlicePath(), tree);
    }
    static std::string Pointer(const std::string& name) {
        return GetText("Identities", name).value_or("<missing>");
    }

    TempRegistry registry_;
};
