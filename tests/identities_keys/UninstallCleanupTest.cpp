// Uninstall clean-up of the program's registry data.
#include <gtest/gtest.h>

#include "RegistryTree.h"
#include "app/UninstallCleanup.h"
#include "support/TempRegistry.h"

namespace {

// A key with a value in it, so that only a tree deletion removes it.
void Make(const std::string& path) { SetText(path, "v", "data"); }

}  // namespace

TEST(UninstallCleanup, RemovesTheProductTreeAndTheCompanyKeyLeftEmpty) {
    TempRegistry registry;
    Make("Software\\Orlen\\Veilbox\\Options\\Deeper");
    Make("Software\\Orlen\\Veilbox\\Recent");
    Make("Software\\Keelfern\\Veilbox\\main");

    RemoveProgramRegistryData();
    EXPECT_FALSE(KeyExists("Software\\Orlen"));
    EXPECT_TRUE(KeyExists("Software"));
    EXPECT_TRUE(KeyExists("Software\\Keelfern\\Veilbox\\main")) << "settings stay";
}

TEST(UninstallCleanup, KeepsTheCompanyKeyWhileAnotherProductUsesIt) {
    TempRegistry registry;
    Make("Software\\Orlen\\Veilbox\\Options");
    Make("Software\\Orlen\\Other Product\\Settings");

    RemoveProgramRegistryData();
    EXPECT_FALSE(KeyExists("Software\\Orlen\\Veilbox"));
    EXPECT_TRUE(KeyExists("Software\\Orlen\\Other Product\\Settings"));
}

TEST(UninstallCleanup, WithoutTheCompanyKeyNothingChanges) {
    TempRegistry registry;
    Make("Software\\Unrelated");
    RemoveProgramRegistryData();
    EXPECT_TRUE(KeyExists("Software\\Unrelated"));
}

TEST(UninstallCleanup, AParentWithoutABackslashIsNeverDeleted) {
    TempRegistry registry;
    Make("Top\\Child\\Grandchild");
    DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Top", "Child");
    EXPECT_FALSE(KeyExists("Top\\Child"));
    EXPECT_TRUE(KeyExists("Top"));
}
