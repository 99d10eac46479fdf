// Where the Linux registry stand-in keeps its database, and how it makes and opens it.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Registry.h"
#include "support/ScopedEnvironment.h"
#include "support/TempRegistry.h"

namespace {

namespace fs = std::filesystem;

fs::perms Mode(const std::string& path) { return fs::status(path).permissions() & fs::perms::all; }

// A relative XDG_DATA_HOME is ignored. Folders made on the way are private, and so is an
// existing database; an unusable place fails every call cleanly; a file that is no
// database is refused and left alone.
TEST(RegistryLocation, FollowsTheEnvironmentAndKeepsTheDatabasePrivate) {
    TempRegistry registry;  // the registry in use now
    ScopedEnvironment environment;
    TempDir dir;
    WriteWholeFile(dir.file("junk.db"), std::string(4096, 'J'));
    EXPECT_FALSE(platform::RedirectRegistry(dir.file("junk.db")));
    EXPECT_EQ(platform::RegistryLocation(), registry.path());
    EXPECT_EQ(ReadWholeFile(dir.file("junk.db")), std::string(4096, 'J'));
    environment.Set("HOME", "/home/someone"), environment.Unset("VEILBOX_REGISTRY"), environment.Set("XDG_DATA_HOME", "rel");
    ASSERT_TRUE(platform::RedirectRegistry(""));
    EXPECT_EQ(platform::RegistryLocation(), "/home/someone/.local/share/veilbox/registry.db");
    environment.Set("XDG_DATA_HOME", dir.file("data"));
    EXPECT_EQ(platform::RegistryLocation(), dir.file("data/veilbox/registry.db"));
    platform::RegKey key = platform::RegKey::None;
    ASSERT_EQ(RegCreateKeyExA(platform::RegKey::CurrentUser, "Software", 0, nullptr, 0, platform::KeyAccess::AllAccess,
                              nullptr, &key, nullptr),
              platform::RegStatus::Success);
    EXPECT_EQ(RegCloseKey(key), platform::RegStatus::Success);
    EXPECT_EQ(Mode(dir.file("data")), fs::perms::owner_all);
    EXPECT_EQ(Mode(dir.file("data/veilbox")), fs::perms::owner_all);
    WriteWholeFile(dir.file("shared.db"), "");
    fs::permissions(dir.file("shared.db"), fs::perms(0644));
    ASSERT_TRUE(platform::RedirectRegistry(dir.file("shared.db")));
    EXPECT_EQ(Mode(dir.file("shared.db")), fs::perms(0600));
    environment.Set("VEILBOX_REGISTRY", dir.file("shared.db/below/file.db"));
    ASSERT_TRUE(platform::RedirectRegistry(""));
    EXPECT_EQ(platform::RegistryLocation(), dir.file("shared.db/below/file.db")) << "the variable comes first";
    uint32_t size = 0;
    EXPECT_EQ(RegQueryValueExA(platform::RegKey::CurrentUser, "v", nullptr, nullptr, nullptr, &size),
              platform::RegStatus::RegistryIoFailed);
}

}  // namespace
