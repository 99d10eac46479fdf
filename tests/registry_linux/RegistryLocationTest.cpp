// Where the Linux registry stand-in keeps its database and how it makes the file.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Registry.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace fs = std::filesystem;

namespace {

fs::perms Mode(const std::string& path) { return fs::status(path).permissions() & fs::perms::all; }

// Drops any database this process opened from the default place, before and after.
struct DefaultRegistry {
    DefaultRegistry() { platform::RedirectRegistry(""); }
    ~DefaultRegistry() { platform::RedirectRegistry(""); }
    ScopedEnvironment environment;
};

TEST(RegistryLocation, FollowsTheEnvironmentAndMakesTheDefaultPlacePrivate) {
    DefaultRegistry registry;
    registry.environment.Set("HOME", "/home/someone");
    registry.environment.Unset("XDG_DATA_HOME");
    registry.environment.Unset("VEILBOX_REGISTRY");
    EXPECT_EQ(platform::RegistryLocation(), "/home/someone/.local/share/veilbox/registry.db");
    registry.environment.Set("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(platform::RegistryLocation(), "/home/someone/.local/share/veilbox/registry.db");
    registry.environment.Set("VEILBOX_REGISTRY", "/elsewhere/reg.db");
    EXPECT_EQ(platform::RegistryLocation(), "/elsewhere/reg.db");

    TempDir dir;
    registry.environment.Unset("VEILBOX_REGISTRY");
    registry.environment.Set("XDG_DATA_HOME", dir.file("data"));
    EXPECT_EQ(platform::RegistryLocation(), dir.file("data/veilbox/registry.db"));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Mode(dir.file("data")), fs::perms::owner_all);
    EXPECT_EQ(Mode(dir.file("data/veilbox")), fs::perms::owner_all);
    EXPECT_EQ(Mode(dir.file("data/veilbox/registry.db")), fs::perms::owner_read | fs::perms::owner_write);

    // An existing database open to others is made private.
    const std::string shared = dir.file("shared.db");
    WriteWholeFile(shared, "");
    fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(platform::RedirectRegistry(shared));
    EXPECT_EQ(Mode(shared), fs::perms::owner_read | fs::perms::owner_write);

    // An unusable place fails every call cleanly.
    registry.environment.Set("VEILBOX_REGISTRY", shared + "/below/a/file.db");
    platform::RedirectRegistry("");
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_REGISTRY_IO_FAILED);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "v", nullptr, nullptr, nullptr, &size), ERROR_REGISTRY_IO_FAILED);
}

TEST(RegistryLocation, AFileThatIsNoDatabaseIsRefusedAndTheRegistryStays) {
    TempRegistry registry;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Kept", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    TempDir dir;
    const std::string junk = dir.file("junk.db");
    WriteWholeFile(junk, std::string(4096, 'J'));
    EXPECT_FALSE(platform::RedirectRegistry(junk));
    EXPECT_EQ(platform::RegistryLocation(), registry.path());
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kept", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadWholeFile(junk), std::string(4096, 'J')) << "the foreign file is left alone";
}

}  // namespace
