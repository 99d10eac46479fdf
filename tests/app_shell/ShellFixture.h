// The start-up and page tests' world: the shared one without the mail client's store,
// the settings under a fixed program name, and identities as a test adds them.
#pragma once

#include "support/World.h"

class ShellFixture : public ::testing::Test {
protected:
    ShellFixture();
    // An identity the mail client would list, its user id the key name.
    void AddIdentity(const std::string& keyName, const std::string& username) {
        world_.AddIdentity(keyName, username, keyName, home_.path() + "/stores/" + username);
    }
    // Chooses keyName as the protected identity and creates its container.
    void MarkHidden(const std::string& keyName) { world_.MarkHidden(keyName); }

    World world_;
    TempRegistry& registry_ = world_.registry;
    TempDir& home_ = world_.home;
    ScopedEnvironment& environment_ = world_.environment;
    ScriptedUserInterface& ui_ = *world_.ui;
};
