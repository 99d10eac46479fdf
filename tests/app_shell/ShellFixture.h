// A private world for the start-up and page tests: an empty registry, a home with its
// own documents folder, the settings under a fixed program name, a scripted user, and
// the means to add mail-client identities and to mark one as hidden.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "support/ScriptedUserInterface.h"

class ShellFixture : public ::testing::Test {
protected:
    ShellFixture();
    ~ShellFixture() override;

    // An identity the mail client would list: key name, "Username", "User ID" and a
    // store folder in the client's version key.
    void AddIdentity(const std::string& keyName, const std::string& username);
    // Chooses keyName as the protected identity and creates its container, which is
    // what makes an identity count as hidden.
    void MarkHidden(const std::string& keyName);

    TempRegistry registry_;
    TempDir home_;
    ScopedEnvironment environment_;
    ScriptedUserInterface ui_;
};
