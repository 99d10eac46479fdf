#include "DialogWorld.h"

#include <filesystem>

#include "RegistryTree.h"
#include "password/PasswordRecord.h"
#include "store/Container.h"

DialogWorld::DialogWorld() {
    environment_.Set("HOME", home_.path());
    // No user-dirs file: the documents folder is ~/Documents of the private home.
    environment_.Set("XDG_CONFIG_HOME", home_.path() + "/config");
    std::filesystem::create_directories(home_.path() + "/Documents");
    SetAuthRecordPathForTesting(AuthPath());
}

DialogWorld::~DialogWorld() { SetAuthRecordPathForTesting(std::string()); }

void DialogWorld::AddIdentity(const std::string& keyName, const std::string& username) {
    ::AddIdentity(keyName, username, username + "-id", "%UserProfile%\\" + username);
}

void DialogWorld::HideProtectedIdentity() {
    WriteWholeFile(GetContainerPath(), "container");
    ASSERT_TRUE(IsIdentityHidden());
}

void DialogWorld::UsePassword(const std::string& password) { ASSERT_TRUE(SetPassword(password)); }

std::string DialogWorld::AuthRecordBytes() const { return ReadWholeFile(AuthPath()); }
