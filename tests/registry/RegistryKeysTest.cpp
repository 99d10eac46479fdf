// Keys: creating, opening and deleting, names, enumeration order, what old handles
// answer, and the registry as a store shared over time and between processes.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "RegistryTest.h"

namespace {
const std::string kX("x", 2);  // "x" with its terminating zero
const char* const kShared = "Software\\Registry Conformance\\Shared";
}  // namespace

TEST_F(RegistryTest, CreateMakesParentsOpensWhateverTheCaseAndAnEmptyNameOpensTheKeyAgain) {
    OwnedKey deep, again, key;
    DWORD disposition = 0;
    ASSERT_EQ(Create(root(), "One\\Two\\MixedCase", deep, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
    ASSERT_EQ(Create(root(), "ONE\\two\\MIXEDCASE", again, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
    ASSERT_EQ(SetText(deep.Get(), "v", "x"), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(again.Get(), "v"), kX) << "both handles name one key";
    ASSERT_EQ(Open(root(), "one\\TWO\\", key), ERROR_SUCCESS) << "a trailing backslash is allowed";
    EXPECT_EQ(Names(key.Get(), true), std::vector<std::string>{"MixedCase"}) << "the first spelling stays";
    EXPECT_EQ(Open(root(), "Missing", key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.Get(), nullptr);
    EXPECT_FALSE(Exists(root(), "Missing")) << "a failed open creates nothing";
    EXPECT_EQ(Open(root(), "\\One", key), ERROR_BAD_PATHNAME);

    for (const char* empty : {"", static_cast<const char*>(nullptr)}) {
        ASSERT_EQ(Open(root(), empty, key), ERROR_SUCCESS);
        EXPECT_NE(key.Get(), root());
    }
    ASSERT_EQ(SetText(key.Get(), "through the copy", "x"), ERROR_SUCCESS);
    ASSERT_EQ(key.Reset(), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(root(), "through the copy"), kX) << "closing the copy left root open";
    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &same), ERROR_SUCCESS);
    EXPECT_EQ(same, HKEY_CURRENT_USER);
    ASSERT_EQ(RegOpenKeyA(root(), "", &same), ERROR_SUCCESS);
    EXPECT_EQ(same, root()) << "the old-style call hands back the handle it was given";
}

TEST_F(RegistryTest, OnlyKeysWithoutSubkeysCanBeDeleted) {
    OwnedKey child;
    ASSERT_EQ(Create(root(), "Parent\\Child", child), ERROR_SUCCESS);
    ASSERT_EQ(SetText(child.Get(), "value", "x"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Exists(root(), "Parent\\Child"));
    EXPECT_EQ(RegDeleteKeyA(root(), "PARENT\\child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent\\Child"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(Create(root(), "Parent\\Child", child), ERROR_SUCCESS);
    EXPECT_TRUE(Names(child.Get(), false).empty()) << "the values went with the deleted key";
    EXPECT_EQ(RegDeleteKeyA(child.Get(), ""), ERROR_SUCCESS) << "an empty name deletes the key itself";
    EXPECT_FALSE(Exists(root(), "Parent\\Child"));
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, DeletedClosedAndMadeUpHandlesAreRefused) {
    OwnedKey doomed, reborn, below;
    ASSERT_EQ(Create(root(), "Doomed", doomed), ERROR_SUCCESS);
    ASSERT_EQ(SetText(doomed.Get(), "v", "x"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(root(), "Doomed"), ERROR_SUCCESS);
    // A new key of the same name is another key: the old handle stays dead.
    ASSERT_EQ(Create(root(), "Doomed", reborn), ERROR_SUCCESS);
    HKEY closed = nullptr;
    ASSERT_EQ(RegCreateKeyA(root(), "Short-lived", &closed), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    const HKEY madeUp = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x5a5a5a58));
    const std::pair<HKEY, LONG> handles[] = {
        {doomed.Get(), ERROR_KEY_DELETED}, {closed, ERROR_INVALID_HANDLE}, {madeUp, ERROR_INVALID_HANDLE}};
    for (const auto& [key, expected] : handles) {
        BYTE data[8];
        char name[16];
        DWORD size = sizeof data, nameSize = sizeof name, count = 0;
        EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, data, &size), expected);
        EXPECT_EQ(SetText(key, "v", "y"), expected);
        EXPECT_EQ(RegDeleteValueA(key, "v"), expected);
        EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), expected);
        EXPECT_EQ(RegEnumKeyExA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), expected);
        EXPECT_EQ(RegQueryInfoKeyA(key, 0, 0, 0, &count, 0, 0, 0, 0, 0, 0, 0), expected);
        EXPECT_EQ(Create(key, "Below", below), expected);
    }
    EXPECT_TRUE(Names(reborn.Get(), false).empty());
    EXPECT_EQ(doomed.Reset(), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    HKEY untouched = root();
    EXPECT_EQ(RegOpenKeyExA(nullptr, "Software", 0, KEY_READ, &untouched), ERROR_INVALID_HANDLE);
    EXPECT_EQ(untouched, root());
}

TEST_F(RegistryTest, AHandleDoesOnlyWhatItsRightsAllow) {
    ASSERT_EQ(SetText(root(), "v", "x"), ERROR_SUCCESS);
    OwnedKey reader, writer, below;
    ASSERT_EQ(Open(root(), "", reader, KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(SetText(reader.Get(), "w", "y"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader.Get(), "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadBytes(reader.Get(), "v"), kX);
    ASSERT_EQ(Open(root(), "", writer, KEY_SET_VALUE), ERROR_SUCCESS);
    EXPECT_EQ(SetText(writer.Get(), "w", "y"), ERROR_SUCCESS);
    DWORD size = 16;
    char name[16];
    EXPECT_EQ(RegQueryValueExA(writer.Get(), "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumKeyExA(writer.Get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Create(writer.Get(), "Below", below), ERROR_SUCCESS) << "opening below a key ignores its rights";
}

TEST_F(RegistryTest, SubkeysComeInCaseInsensitiveOrderAndNeedRoomForTheZero) {
    OwnedKey key;
    for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "bravo2", "Eleven Char"})
        ASSERT_EQ(Create(root(), name, key), ERROR_SUCCESS);
    const std::vector<std::string> expected = {"alpha", "Bravo", "bravo2", "CHARLIE", "delta", "Eleven Char"};
    EXPECT_EQ(Names(root(), true), expected);
    char name[32];
    for (DWORD i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(RegEnumKeyA(root(), i, name, sizeof name), ERROR_SUCCESS);
        EXPECT_EQ(name, expected[i]);
    }
    EXPECT_EQ(RegEnumKeyA(root(), 6, name, sizeof name), ERROR_NO_MORE_ITEMS);
    DWORD size = 11;
    EXPECT_EQ(RegEnumKeyExA(root(), 5, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(root(), 5, name, 11), ERROR_MORE_DATA);
    size = 12;
    ASSERT_EQ(RegEnumKeyExA(root(), 5, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 11u) << "the length comes back without the zero";
    EXPECT_STREQ(name, "Eleven Char");
    ASSERT_EQ(RegDeleteKeyA(root(), "Bravo"), ERROR_SUCCESS);
    ASSERT_EQ(RegEnumKeyA(root(), 1, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "bravo2") << "later keys move down when one goes";
}

TEST_F(RegistryTest, NamesKeepUnusualCharacters) {
    const std::vector<std::string> names = {"{3A1F0C2D-5B6E-4F70-8A9B-0C1D2E3F4A5B}", "with  two spaces",
                                            "caf\xE9", "!#$%&'()+,;=@~", std::string(255, 'k')};
    for (const std::string& name : names) {
        OwnedKey key;
        ASSERT_EQ(Create(root(), name.c_str(), key), ERROR_SUCCESS) << name;
        ASSERT_EQ(SetText(root(), name.c_str(), name), ERROR_SUCCESS) << name;
    }
    std::vector<std::string> keys = Names(root(), true), sorted = names;
    std::sort(keys.begin(), keys.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(keys, sorted);
    EXPECT_EQ(Names(root(), false), names);
    for (const std::string& name : names) EXPECT_EQ(ReadBytes(root(), name.c_str()), name + '\0');
}

TEST_F(RegistryTest, AnotherProcessSeesWhatThisOneWroteAndTheOtherWayRound) {
    OwnedKey key;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, kShared, key), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.Get(), "from the test", "hello"), ERROR_SUCCESS);
    EXPECT_TRUE(RunPeer({"expect", kShared, "from the test", "hello"}));
    EXPECT_FALSE(RunPeer({"expect", kShared, "from the test", "something else"}));
    ASSERT_TRUE(RunPeer({"set", kShared, "from the peer", "hi there"}));
    EXPECT_EQ(ReadBytes(key.Get(), "from the peer"), std::string("hi there", 9));
    // A key the other process deletes is deleted for handles open here.
    ASSERT_TRUE(RunPeer({"delete", kShared}));
    EXPECT_EQ(SetText(key.Get(), "v", "y"), ERROR_KEY_DELETED);
}

TEST_F(RegistryTest, TwoProcessesWriteOneKeyAtTheSameTime) {
    constexpr int kEach = 200;
    OwnedKey key;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, kShared, key), ERROR_SUCCESS);
    std::atomic<bool> peerDone{false};
    bool peerOk = false;
    std::thread peer([&] {
        peerOk = RunPeer({"fill", kShared, "peer", std::to_string(kEach)});
        peerDone = true;
    });
    // Writing and reading until the peer is through makes the two overlap however fast
    // either one starts.
    int written = 0;
    LONG failure = ERROR_SUCCESS;
    for (DWORD values = 0; !failure && (written < kEach || !peerDone); ++written) {
        failure = SetText(key.Get(), ("test" + std::to_string(written)).c_str(), "from the test");
        if (!failure) failure = RegQueryInfoKeyA(key.Get(), 0, 0, 0, 0, 0, 0, &values, 0, 0, 0, 0);
    }
    peer.join();
    EXPECT_EQ(failure, ERROR_SUCCESS) << "after " << written << " writes";
    EXPECT_TRUE(peerOk);
    EXPECT_EQ(Names(key.Get(), false).size(), static_cast<size_t>(written + kEach));
    EXPECT_TRUE(RunPeer({"expect", kShared, "test" + std::to_string(written - 1), "from the test"}));
}

TEST_F(RegistryTest, DataOutlivesItsDatabaseBeingClosedAndItsFilesArePrivate) {
    const std::string first = platform::RegistryLocation();
    ASSERT_EQ(SetText(root(), "kept", "yes"), ERROR_SUCCESS);
    namespace fs = std::filesystem;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        if (!fs::exists(first + suffix)) continue;
        EXPECT_EQ(fs::status(first + suffix).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write) << suffix;
    }
    TempDir elsewhere;
    if (!platform::RedirectRegistry(elsewhere.file("other.db"))) GTEST_SKIP() << "this backend cannot move HKEY_CURRENT_USER";
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, kRoot));
    EXPECT_EQ(ReadBytes(root(), "kept"), std::string("yes", 4)) << "a handle opened before stays with its own database";
    ASSERT_TRUE(platform::RedirectRegistry(first));
    OwnedKey reopened;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, kRoot, reopened), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(reopened.Get(), "kept"), std::string("yes", 4));
}
