// Keys: creating, opening and deleting, names and their order, what old handles and
// handles without the rights answer, and two processes writing one registry.
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "RegistryTest.h"

namespace {
const std::string kX("x", 2);  // "x" with its terminating zero
const char* const kShared = "Software\\Registry Conformance\\Shared";
}  // namespace

TEST_F(RegistryTest, CreateMakesParentsAndOpensWhateverTheCase) {
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
    EXPECT_EQ(Open(root(), "Missing", key, KEY_READ), ERROR_FILE_NOT_FOUND) << "a failed open creates nothing";
    EXPECT_EQ(Open(root(), "\\One", key), ERROR_BAD_PATHNAME);
    ASSERT_EQ(Open(root(), "", key), ERROR_SUCCESS);
    EXPECT_NE(key.Get(), root()) << "an empty name opens the key again";
    ASSERT_EQ(SetText(key.Get(), "through the copy", "x"), ERROR_SUCCESS);
    ASSERT_EQ(key.Reset(), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(root(), "through the copy"), kX) << "closing the copy left root open";
}

TEST_F(RegistryTest, OnlyKeysWithoutSubkeysCanBeDeleted) {
    OwnedKey child;
    ASSERT_EQ(Create(root(), "Parent\\Child", child), ERROR_SUCCESS);
    ASSERT_EQ(SetText(child.Get(), "value", "x"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(root(), "PARENT\\child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent\\Child"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(Create(root(), "Parent\\Child", child), ERROR_SUCCESS);
    EXPECT_TRUE(Names(child.Get(), false).empty()) << "the values went with the deleted key";
    EXPECT_EQ(RegDeleteKeyA(child.Get(), ""), ERROR_SUCCESS) << "an empty name deletes the key itself";
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent"), ERROR_SUCCESS);
}

// A new key of a deleted one's name is another key: the old handle stays dead. A
// handle without the rights for a call is refused it, but not the keys below it.
TEST_F(RegistryTest, DeletedClosedMadeUpAndUnderprivilegedHandlesAreRefused) {
    OwnedKey doomed, reborn, below, reader, writer;
    ASSERT_EQ(Create(root(), "Doomed", doomed), ERROR_SUCCESS);
    ASSERT_EQ(SetText(doomed.Get(), "v", "x"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(root(), "Doomed"), ERROR_SUCCESS);
    ASSERT_EQ(Create(root(), "Doomed", reborn), ERROR_SUCCESS);
    HKEY closed = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root(), "Closed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &closed, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    ASSERT_EQ(SetText(root(), "v", "x"), ERROR_SUCCESS);
    ASSERT_EQ(Open(root(), "", reader, KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(Open(root(), "", writer, KEY_SET_VALUE), ERROR_SUCCESS);
    const LONG A = ERROR_ACCESS_DENIED, K = ERROR_KEY_DELETED, I = ERROR_INVALID_HANDLE, S = ERROR_SUCCESS;
    const struct {
        HKEY key;
        LONG query, set, remove, enumValue, enumKey, info, create;
    } handles[] = {
        {doomed.Get(), K, K, K, K, K, K, K},
        {closed, I, I, I, I, I, I, I},
        {reinterpret_cast<HKEY>(uintptr_t(0x5a5a5a58)), I, I, I, I, I, I, I},
        {reader.Get(), S, A, A, S, S, S, S},
        {writer.Get(), A, S, S, A, A, A, S},
    };
    for (const auto& h : handles) {
        char name[16];
        DWORD size = sizeof name, count = 0;
        EXPECT_EQ(RegQueryValueExA(h.key, "v", nullptr, nullptr, nullptr, &size), h.query);
        EXPECT_EQ(SetText(h.key, "w", "y"), h.set);
        EXPECT_EQ(RegDeleteValueA(h.key, h.remove == S ? "w" : "v"), h.remove);
        EXPECT_EQ(RegEnumValueA(h.key, 0, name, &(size = sizeof name), nullptr, nullptr, nullptr, nullptr), h.enumValue);
        EXPECT_EQ(RegEnumKeyExA(h.key, 0, name, &(size = sizeof name), nullptr, nullptr, nullptr, nullptr), h.enumKey);
        EXPECT_EQ(RegQueryInfoKeyA(h.key, 0, 0, 0, &count, 0, 0, 0, 0, 0, 0, 0), h.info);
        EXPECT_EQ(Create(h.key, "Below", below), h.create);
    }
    EXPECT_TRUE(Names(reborn.Get(), false).empty());
    EXPECT_EQ(doomed.Reset(), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
    HKEY untouched = root();
    EXPECT_EQ(RegOpenKeyExA(nullptr, "Software", 0, KEY_READ, &untouched), ERROR_INVALID_HANDLE);
    EXPECT_EQ(untouched, root());
}

TEST_F(RegistryTest, SubkeysComeInCaseInsensitiveOrderAndNeedRoomForTheZero) {
    OwnedKey key;
    for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "bravo2", "Eleven Char"})
        ASSERT_EQ(Create(root(), name, key), ERROR_SUCCESS);
    EXPECT_EQ(Names(root(), true), (std::vector<std::string>{"alpha", "Bravo", "bravo2", "CHARLIE", "delta", "Eleven Char"}));
    char name[32];
    DWORD size = 11;
    EXPECT_EQ(RegEnumKeyExA(root(), 5, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(root(), 5, name, 11), ERROR_MORE_DATA);
    size = 12;
    ASSERT_EQ(RegEnumKeyExA(root(), 5, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 11u) << "the length comes back without the zero";
    EXPECT_EQ(RegEnumKeyA(root(), 6, name, sizeof name), ERROR_NO_MORE_ITEMS);
    ASSERT_EQ(RegDeleteKeyA(root(), "Bravo"), ERROR_SUCCESS);
    ASSERT_EQ(RegEnumKeyA(root(), 1, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "bravo2") << "later keys move down when one goes";
}

// The second process is this program again, asked through the environment to write
// and read back peer0..peer<n-1> one call each, and to find what the first one wrote.
TEST(RegistryPeer, FillsWhenAsked) {
    const char* count = std::getenv("REGISTRY_PEER_FILL");
    if (!count) GTEST_SKIP() << "the second process of the sharing test";
    OwnedKey key;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, kShared, key), ERROR_SUCCESS);
    for (int i = 0; i < std::atoi(count); ++i) {
        const std::string name = "peer" + std::to_string(i), text = "from the peer " + std::to_string(i);
        ASSERT_EQ(SetText(key.Get(), name.c_str(), text), ERROR_SUCCESS);
        ASSERT_EQ(ReadBytes(key.Get(), name.c_str()), text + '\0');
    }
    EXPECT_EQ(ReadBytes(key.Get(), "before"), kX);
}

TEST_F(RegistryTest, TwoProcessesWriteOneKeyAtTheSameTime) {
    constexpr int kEach = 200;
    OwnedKey key;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, kShared, key), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.Get(), "before", "x"), ERROR_SUCCESS);
    std::atomic<bool> peerDone{false};
    int peerStatus = -1;
    std::thread peer([&] {
        const std::string run = "REGISTRY_PEER_FILL=" + std::to_string(kEach) + " /proc/" + std::to_string(::getpid()) +
                                "/exe --gtest_filter=RegistryPeer.FillsWhenAsked >/dev/null";
        peerStatus = std::system(run.c_str()), peerDone = true;
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
    EXPECT_EQ(peerStatus, 0);
    EXPECT_EQ(Names(key.Get(), false).size(), static_cast<size_t>(1 + written + kEach)) << "every value of both is there";
    namespace fs = std::filesystem;  // the database and the files beside it are private
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const std::string file = platform::RegistryLocation() + suffix;
        EXPECT_EQ(fs::exists(file) ? fs::status(file).permissions() & fs::perms::all : fs::perms(0600), fs::perms(0600)) << file;
    }
}
