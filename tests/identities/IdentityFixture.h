// Every identity test runs on a private registry database with two listed identities,
// Alice (protected, guardid) and Bob.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "RegistryTree.h"
#include "support/TempRegistry.h"
#include "identities/IdentityCatalogue.h"
#include "identities/RegistryBackup.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"

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
        SetGuardId(kAlice);
        LoadIdentities();
    }

    std::string AlicePath() const { return IdentityPath(kAlice); }

    TempRegistry registry_;
};
