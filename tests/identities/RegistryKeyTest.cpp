// The registry key holder, the program's settings and the uninstall clean-up.
#include <gtest/gtest.h>

#include "support/RegistryTree.h"
#include "app/UninstallCleanup.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"
#include "support/ScopedEnvironment.h"
#include "support/TempRegistry.h"

namespace {

using std::string;

TEST(RegistryKey, DeletesWholeSubtreesAndOwnsOneHandle) {
    TempRegistry registry;
    RegistryKey key, deep;
    CreateKeyPath("Software\\Test\\Target\\L1\\L2\\L3\\L4\\L5");
    CreateKeyPath("Software\\Test\\Target\\L1\\Second");
    CreateKeyPath("Software\\Test\\Targets");
    ASSERT_EQ(key.Open(platform::RegKey::CurrentUser, "Software\\Test", platform::KeyAccess::AllAccess),
              platform::RegStatus::Success);
    ASSERT_EQ(deep.Open(platform::RegKey::CurrentUser, "Software\\Test\\Target\\L1", platform::KeyAccess::Read),
              platform::RegStatus::Success);  // held open during the deletion
    EXPECT_EQ(std::make_pair(key.DeleteSubtree("Missing"), key.DeleteSubtree("")),
              std::make_pair(platform::RegStatus(platform::RegStatus::FileNotFound),
                             platform::RegStatus(platform::RegStatus::InvalidParameter)));
    EXPECT_EQ(key.DeleteSubtree("TARGET"), platform::RegStatus::Success);
    EXPECT_FALSE(KeyExists("Software\\Test\\Target"));
    EXPECT_TRUE(KeyExists("Software\\Test\\Targets"));

    // A failed open keeps the held key; a successful one closes it; the last holder closes once.
    const platform::RegKey first = key.Handle();
    EXPECT_EQ(key.Open(platform::RegKey::CurrentUser, "Software\\Missing", platform::KeyAccess::Read),
              platform::RegStatus::FileNotFound);
    EXPECT_EQ(key.DeleteSubtree("Targets"), platform::RegStatus::Success) << "still Software\\Test";
    ASSERT_EQ(key.Open(platform::RegKey::CurrentUser, "Software", platform::KeyAccess::Read),
              platform::RegStatus::Success);
    EXPECT_EQ(RegCloseKey(first), platform::RegStatus::InvalidHandle);
    const platform::RegKey held = key.Handle();
    {
        RegistryKey target;
        target = RegistryKey(std::move(key));
        EXPECT_TRUE(!key.IsOpen() && target.Handle() == held);
    }
    EXPECT_EQ(RegCloseKey(held), platform::RegStatus::InvalidHandle);
}

// Reading creates nothing; a value of the wrong type reads as absent; the program's name
// (its file's, unless the environment names another) chooses the key.
TEST(Settings, DefaultsAndTheKeyFollowingTheProgramName) {
    TempRegistry registry;
    ScopedEnvironment environment;
    environment.Set(kApplicationNameVariable, "Veilbox");
    EXPECT_TRUE(GetSecurityLevel() == SecurityHigh && GetGuardId().empty() && IsFirstRun() && !KeyExists("Software\\Keelfern"));
    ASSERT_TRUE(SetGuardId("{veilbox}") && ClearFirstRun());
    SetText("Software\\Keelfern\\Veilbox\\main", "secmode", "0");
    EXPECT_TRUE(GetSecurityLevel() == SecurityHigh && GetGuardId() == "{veilbox}" && !IsFirstRun());
    environment.Unset(kApplicationNameVariable);
    ASSERT_TRUE(GetGuardId().empty() && SetGuardId("{unnamed}"));
    EXPECT_EQ(GetText("Software\\Keelfern\\test_identities\\main", "guardid"), "{unnamed}");
}

TEST(UninstallCleanup, RemovesTheProductTreeAndTheCompanyKeyOnlyWhenLeftEmpty) {
    const std::tuple<std::vector<const char*>, std::vector<const char*>, std::vector<const char*>> cases[] = {  // made, gone, kept
        {{"Software\\Orlen\\Veilbox\\Options\\Deeper", "Software\\Keelfern\\Veilbox\\main"}, {"Software\\Orlen"}, {"Software\\Keelfern\\Veilbox\\main"}},
        {{"Software\\Orlen\\Veilbox\\Options", "Software\\Orlen\\Other\\Settings"}, {"Software\\Orlen\\Veilbox"}, {"Software\\Orlen\\Other\\Settings"}},
        {{"Software\\Unrelated"}, {}, {"Software\\Unrelated"}}};
    for (const auto& [made, gone, kept] : cases) {
        TempRegistry registry;
        for (const char* key : made) SetText(key, "v", "data");  // only a tree deletion removes them
        RemoveProgramRegistryData();
        for (const char* key : gone) EXPECT_FALSE(KeyExists(key)) << key;
        for (const char* key : kept) EXPECT_TRUE(KeyExists(key)) << key;
    }
    TempRegistry registry;
    SetText("Top\\Child\\Grandchild", "v", "data");
    DeleteRegistryKeyTree(platform::RegKey::CurrentUser, "Top", "Child");
    EXPECT_TRUE(!KeyExists("Top\\Child") && KeyExists("Top")) << "a parent without a backslash is never deleted";
}

}  // namespace
