// A private world for the dialogs' tests: an empty registry, a home with its own
// documents folder (where a hidden identity's container would be), auth.dat in a
// folder of its own, and the mail client's identities as a test adds them.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

class DialogWorld : public ::testing::Test {
protected:
    static constexpr const char* kAlice = "{A11CE000-0000-0000-0000-000000000001}";
    static constexpr const char* kBob = "{B0B00000-0000-0000-0000-000000000002}";
    static constexpr const char* kCarol = "{CA201000-0000-0000-0000-000000000003}";

    DialogWorld();
    ~DialogWorld() override;

    // An identity the mail client lists: key, user name, user id and store folder.
    void AddIdentity(const std::string& keyName, const std::string& username);
    // Puts a container for the protected identity in place, which is what hidden means.
    void HideProtectedIdentity();
    // Makes password the one in force, in auth.dat and as the CurrentPassword.
    void UsePassword(const std::string& password);
    std::string AuthRecordBytes() const;
    std::string AuthPath() const { return home_.file("auth.dat"); }

    TempRegistry registry_;
    TempDir home_;
    ScopedEnvironment environment_;
};
