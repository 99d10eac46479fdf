// The dialogs' world: the shared one without the mail client's store, with identities
// as a test adds them and no scripted user (the dialog tests bring their own).
#pragma once

#include "support/World.h"

class DialogWorld : public ::testing::Test {
protected:
    static constexpr const char* kAlice = "{A11CE000-0000-0000-0000-000000000001}";
    static constexpr const char* kBob = "{B0B00000-0000-0000-0000-000000000002}";
    static constexpr const char* kCarol = "{CA201000-0000-0000-0000-000000000003}";

    DialogWorld();
    void AddIdentity(const std::string& keyName, const std::string& username) { world_.AddIdentity(keyName, username); }
    // Puts a container for the protected identity in place, which is what hidden means.
    void HideProtectedIdentity() { world_.MarkHidden(GetGuardId()); }
    // Makes password the one in force, in auth.dat and as the CurrentPassword.
    void UsePassword(const std::string& password) { world_.SetPassword(password); }
    std::string AuthRecordBytes() const { return ReadWholeFile(AuthPath()); }
    std::string AuthPath() const { return world_.AuthPath(); }

    World world_;
    TempRegistry& registry_ = world_.registry;
    TempDir& home_ = world_.home;
    ScopedEnvironment& environment_ = world_.environment;
};
