// The registry as a store shared over time and between processes: what one process
// writes another reads, two can write at once, and the file is private.
#include <atomic>
#include <filesystem>
#include <thread>

#include "RegistryTest.h"

namespace {
const char* const kShared = "Software\\Registry Conformance\\Shared";
}

TEST_F(RegistryTest, AnotherProcessSeesWhatThisOneWroteAndTheOtherWayRound) {
    ScopedKey key;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, kShared, key), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.get(), "from the test", "hello"), ERROR_SUCCESS);
    EXPECT_TRUE(RunPeer({"expect", kShared, "from the test", "hello"}));
    EXPECT_FALSE(RunPeer({"expect", kShared, "from the test", "something else"}));
    ASSERT_TRUE(RunPeer({"set", kShared, "from the peer", "hi there"}));
    EXPECT_EQ(ReadBytes(key.get(), "from the peer"), std::string("hi there", 9));

    // A key the other process deletes is deleted for handles open here.
    ASSERT_TRUE(RunPeer({"delete", kShared}));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.get(), "from the test", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(SetText(key.get(), "v", "y"), ERROR_KEY_DELETED);
}

TEST_F(RegistryTest, TwoProcessesWriteOneKeyAtTheSameTime) {
    constexpr int kEach = 200;
    ScopedKey key;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, kShared, key), ERROR_SUCCESS);

    std::atomic<bool> peerDone{false};
    bool peerOk = false;
    std::thread peer([&] {
        peerOk = RunPeer({"fill", kShared, "peer", std::to_string(kEach)});
        peerDone = true;
    });
    // Keep writing and reading until the peer is through, so the two overlap however
    // fast either one starts.
    int written = 0;
    LONG firstFailure = ERROR_SUCCESS;
    while (firstFailure == ERROR_SUCCESS && (written < kEach || !peerDone)) {
        const std::string name = "test" + std::to_string(written);
        firstFailure = SetText(key.get(), name.c_str(), "from the test");
        DWORD values = 0;
        if (firstFailure == ERROR_SUCCESS) {
            firstFailure = RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, &values, nullptr, nullptr, nullptr, nullptr);
        }
        ++written;
    }
    peer.join();
    EXPECT_EQ(firstFailure, ERROR_SUCCESS) << "after " << written << " writes";
    EXPECT_TRUE(peerOk);

    const std::vector<std::string> names = ValueNames(key.get());
    EXPECT_EQ(names.size(), static_cast<size_t>(written + kEach));
    EXPECT_EQ(ReadBytes(key.get(), ("peer" + std::to_string(kEach - 1)).c_str()),
              std::string("from the peer " + std::to_string(kEach - 1)) + '\0');
    EXPECT_TRUE(RunPeer({"expect", kShared, "test" + std::to_string(written - 1), "from the test"}));
}

TEST_F(RegistryTest, DataOutlivesTheDatabaseBeingClosed) {
    const std::string first = platform::RegistryLocation();
    ASSERT_EQ(SetText(root(), "kept", "yes"), ERROR_SUCCESS);

    TempDir elsewhere;
    if (!platform::RedirectRegistry(elsewhere.file("other.db"))) {
        GTEST_SKIP() << "this backend cannot move HKEY_CURRENT_USER";
    }
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\Registry Conformance"));
    EXPECT_EQ(ReadBytes(root(), "kept"), std::string("yes", 4))
        << "a handle opened before stays with its own database";

    ASSERT_TRUE(platform::RedirectRegistry(first));
    ScopedKey reopened;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\Registry Conformance", reopened), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(reopened.get(), "kept"), std::string("yes", 4));
}

TEST_F(RegistryTest, TheDatabaseFilesArePrivateToTheUser) {
    ASSERT_EQ(SetText(root(), "v", "x"), ERROR_SUCCESS);
    namespace fs = std::filesystem;
    const fs::path database = platform::RegistryLocation();
    if (database.empty() || !fs::exists(database)) GTEST_SKIP() << "no database file here";
    int checked = 0;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        fs::path file = database;
        file += suffix;
        if (!fs::exists(file)) continue;
        const fs::perms perms = fs::status(file).permissions();
        EXPECT_EQ(perms & (fs::perms::group_all | fs::perms::others_all), fs::perms::none)
            << file;
        EXPECT_EQ(perms & fs::perms::owner_all, fs::perms::owner_read | fs::perms::owner_write)
            << file;
        ++checked;
    }
    EXPECT_GE(checked, 1);
}
