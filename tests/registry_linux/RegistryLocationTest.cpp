// Where the Linux registry stand-in keeps its database, and how it makes and opens it.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Registry.h"
#include "support/ScopedEnvironment.h"
#include "support/TempRegistry.h"

namespace {

namespace fs = std::filesystem;

fs::perms Mode(const std::string& path) { return fs::status(path).permissions() & fs::perms::all; }

// A relative XDG_DATA_HOME is ignored. Folders made on the way and the database are
// private; an existing database open to others is made private; an unusable place
// fails every call cleanly; a file that is no database is refused and left alone.
TEST(RegistryLocation, FollowsTheEnvironmentAndKeepsTheDatabasePrivate) {
    TempRegistry registry;  // the registry in use now
    ScopedEnvironment environment;
    TempDir dir;
    WriteWholeFile(dir.file("junk.db"), std::string(4096, 'J'));
    EXPECT_FALSE(platform::RedirectRegistry(dir.file("junk.db")));
    EXPECT_EQ(platform::RegistryLocation(), registry.path());
    EXPECT_EQ(ReadWholeFile(dir.file("junk.db")), std::string(4096, 'J'));
    environment.Set("HOME", "/home/someone");
    const std::string home = "/home/someone/.local/share/veilbox/registry.db";
    const std::tuple<std::string, std::string, std::string> places[] = {  // XDG_DATA_HOME, VEILBOX_REGISTRY ("": unset)
        {"", "", home}, {"relative/ignored", "", home}, {"relative/ignored", "/elsewhere/reg.db", "/elsewhere/reg.db"},
        {dir.file("data"), "", dir.file("data/veilbox/registry.db")},
    };
    for (const auto& [data, named, expected] : places) {
        data.empty() ? environment.Unset("XDG_DATA_HOME") : environment.Set("XDG_DATA_HOME", data);
        named.empty() ? environment.Unset("VEILBOX_REGISTRY") : environment.Set("VEILBOX_REGISTRY", named);
        ASSERT_TRUE(platform::RedirectRegistry(""));
        EXPECT_EQ(platform::RegistryLocation(), expected);
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Mode(dir.file("data")), fs::perms::owner_all);
    EXPECT_EQ(Mode(dir.file("data/veilbox")), fs::perms::owner_all);
    EXPECT_EQ(Mode(dir.file("data/veilbox/registry.db")), fs::perms(0600));

    WriteWholeFile(dir.file("shared.db"), "");
    fs::permissions(dir.file("shared.db"), fs::perms(0644));
    ASSERT_TRUE(platform::RedirectRegistry(dir.file("shared.db")));
    EXPECT_EQ(Mode(dir.file("shared.db")), fs::perms(0600));
    environment.Set("VEILBOX_REGISTRY", dir.file("shared.db/below/a/file.db"));
    ASSERT_TRUE(platform::RedirectRegistry(""));
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_REGISTRY_IO_FAILED);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "v", nullptr, nullptr, nullptr, &size), ERROR_REGISTRY_IO_FAILED);
}

}  // namespace
