// The registry key holder, the program's settings and the uninstall clean-up.
#include <gtest/gtest.h>

#include "RegistryTree.h"
#include "app/UninstallCleanup.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"
#include "support/ScopedEnvironment.h"
#include "support/TempRegistry.h"

namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(key_.Create(HKEY_CURRENT_USER, "Software\\Test", KEY_ALL_ACCESS), ERROR_SUCCESS); }
    TempRegistry registry_;
    RegistryKey key_;
};

TEST_F(RegistryKeyTest, DeleteSubtreeRemovesEveryLevelAndNothingBeside) {
    CreateKeyPath("Software\\Test\\Target\\L1\\L2\\L3\\L4\\L5");
    CreateKeyPath("Software\\Test\\Target\\L1\\Second");
    CreateKeyPath("Software\\Test\\Targets");
    SetText("Software\\Test\\Target\\L1\\L2", "value", "x");
    RegistryKey deep;
    ASSERT_EQ(deep.Open(HKEY_CURRENT_USER, "Software\\Test\\Target\\L1\\L2", KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(key_.DeleteSubtree("Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key_.DeleteSubtree(""), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(KeyExists("Software\\Test\\Target\\L1\\L2"));
    EXPECT_EQ(key_.DeleteSubtree("TARGET"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists("Software\\Test\\Target"));
    EXPECT_TRUE(KeyExists("Software\\Test\\Targets"));
    EXPECT_EQ(deep.QueryString("value", "gone"), "gone");
    EXPECT_NE(RegistryKey().DeleteSubtree("Test"), ERROR_SUCCESS);
}

TEST_F(RegistryKeyTest, QueryStringIsBoundedAndTellsMissingFromEmpty) {
    const std::string longest(RegistryKey::kMaxStringBytes - 1, 'a');
    const std::tuple<const char*, DWORD, std::string, std::string, DWORD> cases[] = {
        {"fits", REG_SZ, longest + '\0', longest, 16384},
        {"too long", REG_SZ, longest + "b" + '\0', "fallback", 0},
        {"unterminated", REG_BINARY, longest + "c", longest + "c", 16384},
        {"empty", REG_SZ, std::string(1, '\0'), "", 1},
        {"two words", REG_SZ, std::string("two\0words", 10), "two", 10},  // ends at the first zero
        {"missing", REG_SZ, "", "fallback", 0},
    };
    for (const auto& [name, type, stored, expected, count] : cases) {
        if (std::string(name) != "missing") SetValue("Software\\Test", name, type, stored);
        DWORD bytes = 99;
        EXPECT_EQ(key_.QueryString(name, "fallback", bytes), expected) << name;
        EXPECT_EQ(bytes, count) << name;
    }
    EXPECT_EQ(RegistryKey().QueryString("empty", "fallback"), "fallback");
}

TEST_F(RegistryKeyTest, TheHolderOwnsExactlyOneHandle) {
    SetText("Software\\Test", "v", "x");
    const HKEY first = key_.Handle();
    EXPECT_EQ(key_.Open(HKEY_CURRENT_USER, "Software\\Missing", KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key_.QueryString("v"), "x") << "a failed open keeps the held key";
    ASSERT_EQ(key_.Open(HKEY_CURRENT_USER, "Software", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(first), ERROR_INVALID_HANDLE) << "the old handle was closed";
    RegistryKey moved(std::move(key_));
    EXPECT_FALSE(key_.IsOpen());
    const HKEY held = moved.Handle();
    {
        RegistryKey target;
        target = std::move(moved);
        EXPECT_EQ(target.Handle(), held);
    }
    EXPECT_EQ(RegCloseKey(held), ERROR_INVALID_HANDLE) << "closed once, when its last holder died";
}

TEST(Settings, DefaultsStoredFormsAndTheKeyFollowingTheProgramName) {
    TempRegistry registry;
    ScopedEnvironment environment;
    environment.Set(kApplicationNameVariable, "Veilbox");
    EXPECT_EQ(std::make_tuple(GetSecurityLevel(), GetGuardId(), IsFirstRun()), std::make_tuple(int(SecurityHigh), std::string(), true));
    EXPECT_FALSE(KeyExists("Software\\Keelfern")) << "reading creates nothing";
    ASSERT_TRUE(SetGuardId("{veilbox}") && SetSecurityLevel(SecurityLow) && ClearFirstRun());
    const std::string section = "Software\\Keelfern\\Veilbox\\main";
    const std::tuple<const char*, DWORD, std::string> stored[] = {
        {"guardid", REG_SZ, std::string("{veilbox}", 10)}, {"secmode", REG_DWORD, std::string(4, '\0')}, {"first", REG_DWORD, std::string(4, '\0')}};
    for (const auto& [name, wantType, wantBytes] : stored) {
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(GetValue(section, name, type, bytes)) << name;
        EXPECT_EQ(std::make_pair(type, bytes), std::make_pair(wantType, wantBytes)) << name;
    }
    EXPECT_FALSE(IsFirstRun());
    // Values set by hand are read afresh and unchecked; the wrong type reads as absent.
    SetValue(section, "secmode", REG_DWORD, std::string("\7\0\0\0", 4));
    EXPECT_EQ(GetSecurityLevel(), 7);
    SetValue(section, "first", REG_DWORD, std::string("\5\0\0\0", 4));
    EXPECT_TRUE(IsFirstRun());
    SetText(section, "secmode", "1");
    EXPECT_EQ(GetSecurityLevel(), SecurityHigh);

    environment.Set(kApplicationNameVariable, "Renamed");
    EXPECT_EQ(GetGuardId(), "") << "another program name starts from the defaults";
    environment.Unset(kApplicationNameVariable);
    ASSERT_TRUE(SetGuardId("{unnamed}"));
    EXPECT_EQ(GetText("Software\\Keelfern\\test_identities\\main", "guardid"), "{unnamed}") << "named after the program file";
}

TEST(UninstallCleanup, RemovesTheProductTreeAndTheCompanyKeyOnlyWhenLeftEmpty) {
    const struct {
        std::vector<const char*> keys, gone, kept;
    } cases[] = {
        {{"Software\\Orlen\\Veilbox\\Options\\Deeper", "Software\\Keelfern\\Veilbox\\main"}, {"Software\\Orlen"},
         {"Software", "Software\\Keelfern\\Veilbox\\main"}},
        {{"Software\\Orlen\\Veilbox\\Options", "Software\\Orlen\\Other Product\\Settings"}, {"Software\\Orlen\\Veilbox"},
         {"Software\\Orlen\\Other Product\\Settings"}},
        {{"Software\\Unrelated"}, {}, {"Software\\Unrelated"}},
    };
    for (const auto& c : cases) {
        TempRegistry registry;
        for (const char* key : c.keys) SetText(key, "v", "data");  // only a tree deletion removes them
        RemoveProgramRegistryData();
        for (const char* key : c.gone) EXPECT_FALSE(KeyExists(key)) << key;
        for (const char* key : c.kept) EXPECT_TRUE(KeyExists(key)) << key;
    }
    TempRegistry registry;
    SetText("Top\\Child\\Grandchild", "v", "data");
    DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Top", "Child");
    EXPECT_FALSE(KeyExists("Top\\Child"));
    EXPECT_TRUE(KeyExists("Top")) << "a parent without a backslash is never deleted";
}

}  // namespace
