#include "ShellFixture.h"

#include <filesystem>

#include "identities/Settings.h"
#include "platform/Registry.h"
#include "store/Container.h"

namespace {

void SetText(HKEY root, const std::string& path, const char* name, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(root, path.c_str(), &key));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                            static_cast<DWORD>(value.size() + 1)));
    RegCloseKey(key);
}

}  // namespace

ShellFixture::ShellFixture() {
    environment_.Set("HOME", home_.path());
    // No user-dirs file: the documents folder is ~/Documents of the private home.
    environment_.Set("XDG_CONFIG_HOME", home_.path() + "/config");
    std::filesystem::create_directories(home_.path() + "/Documents");
    SetApplicationName("Veilbox");
}

ShellFixture::~ShellFixture() { SetApplicationName(""); }

void ShellFixture::AddIdentity(const std::string& keyName, const std::string& username) {
    const std::string key = "Identities\\" + keyName;
    SetText(HKEY_CURRENT_USER, key, "Username", username);
    SetText(HKEY_CURRENT_USER, key, "User ID", keyName);
    SetText(HKEY_CURRENT_USER, key + "\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root",
            home_.path() + "/stores/" + username);
}

void ShellFixture::MarkHidden(const std::string& keyName) {
    ASSERT_TRUE(SetGuardId(keyName));
    WriteWholeFile(GetContainerPath(), "container");
    ASSERT_TRUE(IsIdentityHidden());
}
