// Uninstall clean-up of the program's registry data.
#include <gtest/gtest.h>

#include "app/UninstallCleanup.h"
#include "identities/RegistryKey.h"
#include "support/TempRegistry.h"

namespace {

void Make(const std::string& path) {
    RegistryKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS), ERROR_SUCCESS) << path;
    const char text[] = "data";
    ASSERT_EQ(RegSetValueExA(key.Handle(), "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             sizeof text),
              ERROR_SUCCESS);
}

bool Exists(const std::string& path) {
    RegistryKey key;
    return key.Open(HKEY_CURRENT_USER, path, KEY_READ) == ERROR_SUCCESS;
}

}  // namespace

TEST(UninstallCleanup, RemovesTheProductTreeAndTheCompanyKeyLeftEmpty) {
    TempRegistry registry;
    Make("Software\\Orlen\\Veilbox\\Options\\Deeper");
    Make("Software\\Orlen\\Veilbox\\Recent");
    Make("Software\\Keelfern\\Veilbox\\main");

    RemoveProgramRegistryData();
    EXPECT_FALSE(Exists("Software\\Orlen"));
    EXPECT_TRUE(Exists("Software"));
    EXPECT_TRUE(Exists("Software\\Keelfern\\Veilbox\\main")) << "settings stay";
}

TEST(UninstallCleanup, KeepsTheCompanyKeyWhileAnotherProductUsesIt) {
    TempRegistry registry;
    Make("Software\\Orlen\\Veilbox\\Options");
    Make("Software\\Orlen\\Other Product\\Settings");

    RemoveProgramRegistryData();
    EXPECT_FALSE(Exists("Software\\Orlen\\Veilbox"));
    EXPECT_TRUE(Exists("Software\\Orlen\\Other Product\\Settings"));
}

TEST(UninstallCleanup, WithoutTheCompanyKeyNothingChanges) {
    TempRegistry registry;
    Make("Software\\Unrelated");
    RemoveProgramRegistryData();
    EXPECT_TRUE(Exists("Software\\Unrelated"));
}

TEST(UninstallCleanup, AParentWithoutABackslashIsNeverDeleted) {
    TempRegistry registry;
    Make("Top\\Child\\Grandchild");
    DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Top", "Child");
    EXPECT_FALSE(Exists("Top\\Child"));
    EXPECT_TRUE(Exists("Top"));
}
