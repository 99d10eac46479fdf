// The registry conformance suite. It uses nothing but the Win32 registry calls (and a
// private platform::RegKey::CurrentUser from TempRegistry), so the same tests can judge any backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/OwnedKey.h"
#include "platform/Shell.h"
#include "support/TempRegistry.h"

using platform::OwnedKey;

namespace {

const std::string kX("x", 2);  // "x" with its terminating zero
const char* const kShared = "Software\\Conformance\\Shared";

// The owned key keeps whatever handle the call gave back.
platform::RegStatus Create(platform::RegKey parent, const char* path, OwnedKey& key, uint32_t* disposition = nullptr) {
    platform::RegKey handle = platform::RegKey::None;
    const platform::RegStatus status =
        RegCreateKeyExA(parent, path, 0, nullptr, 0, platform::KeyAccess::AllAccess, nullptr, &handle, disposition);
    return key = OwnedKey(handle), status;
}
platform::RegStatus Open(platform::RegKey parent, const char* path, OwnedKey& key,
                         platform::RegRights rights = platform::KeyAccess::AllAccess) {
    platform::RegKey handle = platform::RegKey::None;
    const platform::RegStatus status = RegOpenKeyExA(parent, path, 0, rights, &handle);
    return key = OwnedKey(handle), status;
}
// The byte after the data is never a zero: Windows and Wine count a text's terminator
// that the caller left out of the size but that follows in memory.
platform::RegStatus SetBytes(platform::RegKey key, const char* name, uint32_t type, const std::string& bytes) {
    const std::string buffer = bytes + 'X';
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const uint8_t*>(buffer.data()), uint32_t(bytes.size()));
}
platform::RegStatus SetText(platform::RegKey key, const char* name,
                            const std::string& text) {  // with its zero, as platform::RegType::Sz
    return SetBytes(key, name, platform::RegType::Sz, std::string(text.c_str(), text.size() + 1));
}
// The stored bytes of a value; empty when it cannot be read.
std::string ReadBytes(platform::RegKey key, const char* name, uint32_t* type = nullptr) {
    uint32_t size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != platform::RegStatus::Success) return {};
    std::string bytes(size, '\0');
    return RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<uint8_t*>(&bytes[0]), &size) !=
                   platform::RegStatus::Success
               ? ""
               : bytes.substr(0, size);
}
// Subkey or value names by index until the first failure.
std::vector<std::string> Names(platform::RegKey key, bool subkeys) {
    std::vector<std::string> names;
    char name[1024];
    for (uint32_t size = sizeof name;; size = sizeof name) {
        const uint32_t i = uint32_t(names.size());
        if ((subkeys ? RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)
                     : RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)) !=
            platform::RegStatus::Success)
            return names;
        names.emplace_back(name, size);
    }
}

// Every test works under a fresh key of its own registry.
struct RegistryTest : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(Create(platform::RegKey::CurrentUser, "Software\\Conformance", root_), platform::RegStatus::Success);
    }
    platform::RegKey root() const { return root_.Get(); }
    TempRegistry registry_;
    OwnedKey root_;
};

TEST_F(RegistryTest, CreateMakesParentsAndOpensWhateverTheCase) {
    OwnedKey deep, again, key;
    uint32_t disposition = 0;
    ASSERT_EQ(Create(root(), "One\\Two\\MixedCase", deep, &disposition), platform::RegStatus::Success);
    EXPECT_EQ(disposition, uint32_t{platform::kRegCreatedNewKey});
    ASSERT_EQ(Create(root(), "ONE\\two\\MIXEDCASE", again, &disposition), platform::RegStatus::Success);
    EXPECT_EQ(disposition, uint32_t{platform::kRegOpenedExistingKey});
    ASSERT_EQ(SetText(deep.Get(), "v", "x"), platform::RegStatus::Success);
    EXPECT_EQ(ReadBytes(again.Get(), "v"), kX) << "both handles name one key";
    ASSERT_EQ(Open(root(), "one\\TWO\\", key), platform::RegStatus::Success) << "a trailing backslash is allowed";
    EXPECT_EQ(Names(key.Get(), true), std::vector<std::string>{"MixedCase"}) << "the first spelling stays";
    EXPECT_EQ(Open(root(), "Missing", key), platform::RegStatus::FileNotFound);
    EXPECT_EQ(Open(root(), "\\One", key), platform::RegStatus::BadPathname);
    ASSERT_EQ(Open(root(), "", key), platform::RegStatus::Success);
    EXPECT_NE(key.Get(), root()) << "an empty name opens the key again";
    ASSERT_EQ(SetText(key.Get(), "through the copy", "x"), platform::RegStatus::Success);
    ASSERT_EQ(key.Reset(), platform::RegStatus::Success);
    EXPECT_EQ(ReadBytes(root(), "through the copy"), kX) << "closing the copy left root open";
}

TEST_F(RegistryTest, OnlyKeysWithoutSubkeysCanBeDeleted) {
    OwnedKey child;
    ASSERT_EQ(Create(root(), "Parent\\Child", child), platform::RegStatus::Success);
    ASSERT_EQ(SetText(child.Get(), "value", "x"), platform::RegStatus::Success);
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent"), platform::RegStatus::AccessDenied);
    EXPECT_EQ(RegDeleteKeyA(root(), "PARENT\\child"), platform::RegStatus::Success);
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent\\Child"), platform::RegStatus::FileNotFound);
    ASSERT_EQ(Create(root(), "Parent\\Child", child), platform::RegStatus::Success);
    EXPECT_TRUE(Names(child.Get(), false).empty()) << "the values went with the deleted key";
    EXPECT_EQ(RegDeleteKeyA(child.Get(), ""), platform::RegStatus::Success) << "an empty name deletes the key itself";
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent"), platform::RegStatus::Success);
}

// A new key of a deleted one's name is another key: the old handle stays dead. A
// handle without the rights for a call is refused it, but not the keys below it; a
// closed or made-up handle is no handle at all.
TEST_F(RegistryTest, DeletedClosedMadeUpAndUnderprivilegedHandlesAreRefused) {
    OwnedKey doomed, reborn, below, reader, writer;
    ASSERT_EQ(Create(root(), "Doomed", doomed), platform::RegStatus::Success);
    ASSERT_EQ(SetText(doomed.Get(), "v", "x"), platform::RegStatus::Success);
    ASSERT_EQ(RegDeleteKeyA(root(), "Doomed"), platform::RegStatus::Success);
    ASSERT_EQ(Create(root(), "Doomed", reborn), platform::RegStatus::Success);
    ASSERT_EQ(SetText(root(), "v", "x"), platform::RegStatus::Success);
    ASSERT_EQ(Open(root(), "", reader, platform::KeyAccess::Read), platform::RegStatus::Success);
    ASSERT_EQ(Open(root(), "", writer, platform::KeyAccess::SetValue), platform::RegStatus::Success);
    platform::RegKey closed = platform::RegKey::None, untouched = root();
    ASSERT_EQ(RegOpenKeyA(root(), "Doomed", &closed), platform::RegStatus::Success);
    ASSERT_EQ(RegCloseKey(closed), platform::RegStatus::Success);
    EXPECT_EQ(RegCloseKey(closed), platform::RegStatus::InvalidHandle);
    EXPECT_EQ(RegOpenKeyExA(platform::RegKey::None, "Software", 0, platform::KeyAccess::Read, &untouched),
              platform::RegStatus::InvalidHandle);
    EXPECT_EQ(untouched, root());
    const platform::RegKey madeUp = static_cast<platform::RegKey>(0x5a5a5a58);
    const platform::RegStatus A = platform::RegStatus::AccessDenied, K = platform::RegStatus::KeyDeleted,
                              S = platform::RegStatus::Success, I = platform::RegStatus::InvalidHandle;
    const struct {
        platform::RegKey key;
        platform::RegStatus query, set, remove, enumValue, enumKey, info, create;
    } handles[] = {
        {doomed.Get(), K, K, K, K, K, K, K},
        {closed, I, I, I, I, I, I, I},
        {madeUp, I, I, I, I, I, I, I},
        {reader.Get(), S, A, A, S, S, S, S},
        // Wine answers a key's information to any handle.
        {writer.Get(), A, S, S, A, A, platform::RunsUnderWine() ? S : A, S},
    };
    for (const auto& h : handles) {
        char name[16];
        uint32_t size = sizeof name, count = 0;
        EXPECT_EQ(RegQueryValueExA(h.key, "v", nullptr, nullptr, nullptr, &size), h.query);
        EXPECT_EQ(SetText(h.key, "w", "y"), h.set);
        EXPECT_EQ(RegDeleteValueA(h.key, h.remove == S ? "w" : "v"), h.remove);
        EXPECT_EQ(RegEnumValueA(h.key, 0, name, &(size = sizeof name), nullptr, nullptr, nullptr, nullptr), h.enumValue);
        EXPECT_EQ(RegEnumKeyExA(h.key, 0, name, &(size = sizeof name), nullptr, nullptr, nullptr, nullptr), h.enumKey);
        EXPECT_EQ(RegQueryInfoKeyA(h.key, 0, 0, 0, &count, 0, 0, 0, 0, 0, 0, 0), h.info);
        EXPECT_EQ(Create(h.key, "Below", below), h.create);
    }
    EXPECT_TRUE(Names(reborn.Get(), false).empty());
}

TEST_F(RegistryTest, SubkeysComeInCaseInsensitiveOrderAndNeedRoomForTheZero) {
    OwnedKey key;
    for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "bravo2", "Eleven Char"})
        ASSERT_EQ(Create(root(), name, key), platform::RegStatus::Success);
    EXPECT_EQ(Names(root(), true), (std::vector<std::string>{"alpha", "Bravo", "bravo2", "CHARLIE", "delta", "Eleven Char"}));
    char name[32];
    uint32_t size = 11;
    EXPECT_EQ(RegEnumKeyExA(root(), 5, name, &size, nullptr, nullptr, nullptr, nullptr), platform::RegStatus::MoreData);
    ASSERT_EQ(RegEnumKeyExA(root(), 5, name, &(size = 12), nullptr, nullptr, nullptr, nullptr),
              platform::RegStatus::Success);
    EXPECT_EQ(size, 11u) << "the length comes back without the zero";
    EXPECT_EQ(RegEnumKeyA(root(), 6, name, sizeof name), platform::RegStatus::NoMoreItems);
    ASSERT_EQ(RegDeleteKeyA(root(), "Bravo"), platform::RegStatus::Success);
    ASSERT_EQ(RegEnumKeyA(root(), 1, name, sizeof name), platform::RegStatus::Success);
    EXPECT_STREQ(name, "bravo2") << "later keys move down when one goes";
}

// Names keep any character a name may hold; value names ignore case, and the unnamed
// value is both the null and the empty name. Key information counts direct subkeys and
// values and the longest of each.
TEST_F(RegistryTest, NamesKeepUnusualCharactersAndKeyInformationCountsThem) {
    const std::vector<std::string> names = {"{3A1F0C2D-5B6E-4F70-8A9B-0C1D2E3F4A5B}", "with  two spaces", "caf\xE9",
                                            "!#$%&'()+,;=@~", std::string(255, 'k')};
    OwnedKey key;
    for (const std::string& name : names) {
        // Apart: a path of more than 260 characters is too long for the A calls of
        // Windows and Wine, whatever its names.
        ASSERT_EQ(Create(root(), name.c_str(), key), platform::RegStatus::Success) << name;
        ASSERT_EQ(Create(key.Get(), "Below", key), platform::RegStatus::Success) << name;
        ASSERT_EQ(SetText(root(), name.c_str(), name), platform::RegStatus::Success) << name;
        EXPECT_EQ(ReadBytes(root(), name.c_str()), name + '\0');
    }
    ASSERT_EQ(SetText(root(), "CAF\xE9", "again"), platform::RegStatus::Success);
    std::vector<std::string> listed = Names(root(), false), sorted = names;  // the order has a test of its own
    std::sort(listed.begin(), listed.end()), std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(listed, sorted) << "a name set again in other case is the same value, in its first spelling";
    ASSERT_EQ(SetBytes(root(), nullptr, platform::RegType::Binary, std::string(300, '\1')),
              platform::RegStatus::Success);
    EXPECT_EQ(ReadBytes(root(), ""), std::string(300, '\1'));
    uint32_t subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValue = 0;
    ASSERT_EQ(RegQueryInfoKeyA(root(), 0, 0, 0, &subKeys, &maxSubKey, 0, &values, &maxValueName, &maxValue, 0, 0),
              platform::RegStatus::Success);
    EXPECT_EQ(std::vector<uint32_t>({subKeys, maxSubKey, values, maxValueName}),
              std::vector<uint32_t>({5, 255, 6, 255}));
    EXPECT_GE(maxValue, 300u) << "enough for the longest data (Windows counts text as it keeps it, in UTF-16)";
    EXPECT_EQ(RegDeleteValueA(root(), ""), platform::RegStatus::Success);
    EXPECT_EQ(RegDeleteValueA(root(), nullptr), platform::RegStatus::FileNotFound);
}

// Windows keeps values in the order they were created; Wine sorts them by name without
// regard to case, the one way its registry is allowed to differ here.
TEST_F(RegistryTest, ValuesComeInCreationOrder) {
    for (const char* name : {"zeta", "Alpha", "mid", "ZETA"})
        ASSERT_EQ(SetText(root(), name, "1"), platform::RegStatus::Success);
    const std::vector<std::string> expected = platform::RunsUnderWine()
                                                  ? std::vector<std::string>{"Alpha", "mid", "zeta"}
                                                  : std::vector<std::string>{"zeta", "Alpha", "mid"};
    EXPECT_EQ(Names(root(), false), expected) << "set again, it keeps its place";
    ASSERT_EQ(RegDeleteValueA(root(), "zeta"), platform::RegStatus::Success);
    ASSERT_EQ(SetText(root(), "zeta", "3"), platform::RegStatus::Success);
    EXPECT_EQ(Names(root(), false), (std::vector<std::string>{"Alpha", "mid", "zeta"}));
}

// The second process of the sharing test is this program again, started with
// REGISTRY_PEER_FILL=n instead of the tests: it writes and reads back peer0..peer<n-1>
// one call each, finds what the first process wrote, and says by its exit status
// whether all of that worked.
int FillAsPeer(int count) {
    OwnedKey key;
    if (Open(platform::RegKey::CurrentUser, kShared, key) != platform::RegStatus::Success) return 1;
    for (int i = 0; i < count; ++i) {
        const std::string name = "peer" + std::to_string(i), text = "from the peer " + std::to_string(i);
        if (SetText(key.Get(), name.c_str(), text) != platform::RegStatus::Success ||
            ReadBytes(key.Get(), name.c_str()) != text + '\0')
            return 2;
    }
    return ReadBytes(key.Get(), "before") == kX ? 0 : 3;
}

TEST_F(RegistryTest, TwoProcessesWriteOneKeyAtTheSameTime) {
    constexpr int kEach = 200;
    OwnedKey key;
    ASSERT_EQ(Create(platform::RegKey::CurrentUser, kShared, key), platform::RegStatus::Success);
    ASSERT_EQ(SetText(key.Get(), "before", "x"), platform::RegStatus::Success);
    ScopedEnvironment peerEnvironment;
    peerEnvironment.Set("REGISTRY_PEER_FILL", std::to_string(kEach));
    std::atomic<bool> peerDone{false};
    int peerStatus = -1;
    std::thread peer(
        [&] { peerStatus = std::system(("\"" + platform::ProgramFilePath() + "\"").c_str()), peerDone = true; });
    int written = 0;  // writing and reading until the peer is through makes the two overlap
    platform::RegStatus failure = platform::RegStatus::Success;
    for (uint32_t values = 0; failure == platform::RegStatus::Success && (written < kEach || !peerDone); ++written) {
        failure = SetText(key.Get(), ("test" + std::to_string(written)).c_str(), "from the test");
        if (failure == platform::RegStatus::Success)
            failure = RegQueryInfoKeyA(key.Get(), 0, 0, 0, 0, 0, 0, &values, 0, 0, 0, 0);
    }
    peer.join();
    EXPECT_EQ(failure, platform::RegStatus::Success) << "after " << written << " writes";
    EXPECT_EQ(peerStatus, 0);
    EXPECT_EQ(Names(key.Get(), false).size(), static_cast<size_t>(1 + written + kEach)) << "every value of both is there";
    namespace fs = std::filesystem;  // the database and the files beside it are private
    for (const std::string suffix : {"", "-wal", "-shm", "-journal"})
        EXPECT_TRUE(!fs::exists(platform::RegistryLocation() + suffix) ||
                    (fs::status(platform::RegistryLocation() + suffix).permissions() & fs::perms::all) == fs::perms(0600)) << suffix;
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactBytesUnderTheirFirstSpelling) {
    const struct {
        const char* name;
        uint32_t type;
        std::string bytes;
    } cases[] = {
        {"terminated", platform::RegType::Sz, std::string("text", 5)},
        {"unterminated", platform::RegType::Sz, "text"},
        {"empty string", platform::RegType::Sz, std::string(1, '\0')},
        {"zero-length text", platform::RegType::Sz, ""},
        {"zero-length binary", platform::RegType::Binary, ""},
        {"binary", platform::RegType::Binary, std::string("\0\x01\xff\0\x7f", 5)},
        {"dword", platform::RegType::Dword, "\x78\x56\x34\x12"},
        {"expandable", platform::RegType::ExpandSz, std::string("%APPDATA%\\x", 12)},
        {"big", platform::RegType::Binary, std::string(70000, '\xa5')},
    };
    for (const auto& c : cases) ASSERT_EQ(SetBytes(root(), c.name, c.type, c.bytes), platform::RegStatus::Success);
    for (const auto& c : cases) {
        uint32_t type = 0xdeadbeef;
        EXPECT_EQ(ReadBytes(root(), c.name, &type), c.bytes) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
    uint32_t type = 0;  // setting a value again, in another case, replaces type and data
    ASSERT_EQ(SetBytes(root(), "TERMINATED", platform::RegType::Dword, std::string(4, '\0')),
              platform::RegStatus::Success);
    EXPECT_EQ(ReadBytes(root(), "terminated", &type), std::string(4, '\0'));
    EXPECT_EQ(type, uint32_t{platform::RegType::Dword});
    const std::vector<std::string> names = Names(root(), false);
    EXPECT_EQ(std::count(names.begin(), names.end(), "terminated"), 1) << "in its first spelling";
    EXPECT_EQ(RegDeleteValueA(root(), "tERMINATED"), platform::RegStatus::Success);
    EXPECT_EQ(RegDeleteValueA(root(), "terminated"), platform::RegStatus::FileNotFound);
}

// A buffer too small for the name or the data is not written and the size needed is
// reported; the exact fit writes nothing past the data; text stored without its zero
// is terminated when there is room.
TEST_F(RegistryTest, QueryingAndEnumeratingFollowTheBufferRules) {
    ASSERT_EQ(SetText(root(), "Test", "foobar"), platform::RegStatus::Success);
    ASSERT_EQ(SetBytes(root(), "xyz", platform::RegType::Sz, "abc"), platform::RegStatus::Success);
    const struct {
        const char* name;  // queried by name, or enumerated from index 0 when null
        uint32_t nameSize, dataSize;
        bool dataBuffer;
        platform::RegStatus status;
        uint32_t nameBack, dataBack;
        const char* data;  // what the data buffer holds afterwards
    } cases[] = {
        {"Test", 0, 6, true, platform::RegStatus::MoreData, 0, 7, "xxxxxxxx"},
        {"Test", 0, 7, true, platform::RegStatus::Success, 0, 7, "foobar\0x"},
        {"xyz", 0, 16, true, platform::RegStatus::Success, 0, 3, "abc\0xxxx"},
        {"missing", 0, 16, true, platform::RegStatus::FileNotFound, 0, 16, "xxxxxxxx"},
        {"missing", 0, 16, false, platform::RegStatus::FileNotFound, 0, 0, "xxxxxxxx"},
        {nullptr, 20, 2, true, platform::RegStatus::MoreData, 20, 7, "xxxxxxxx"},
        {nullptr, 4, 20, true, platform::RegStatus::MoreData, 4, 7, "xxxxxxxx"},
        {nullptr, 20, 20, false, platform::RegStatus::Success, 4, 7, "xxxxxxxx"},
        {nullptr, 5, 7, true, platform::RegStatus::Success, 4, 7, "foobar\0x"},
    };
    for (const auto& c : cases) {
        char name[20];
        uint8_t data[20];
        std::memset(name, 'x', sizeof name), std::memset(data, 'x', sizeof data);
        uint32_t nameSize = c.nameSize, dataSize = c.dataSize, type = 0;
        SCOPED_TRACE(testing::Message() << (c.name ? c.name : "enumerated") << " name " << c.nameSize << " data " << c.dataSize);
        EXPECT_EQ(c.name ? RegQueryValueExA(root(), c.name, nullptr, &type, c.dataBuffer ? data : nullptr, &dataSize)
                         : RegEnumValueA(root(), 0, name, &nameSize, nullptr, &type, c.dataBuffer ? data : nullptr, &dataSize),
                  c.status);
        EXPECT_EQ(nameSize, c.nameBack);
        EXPECT_EQ(dataSize, c.dataBack);
        // What an enumeration that ran out of room left in the buffers is not to be
        // relied on: Windows leaves it undefined and Wine writes what fitted.
        if (c.status == platform::RegStatus::MoreData && !c.name) continue;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 8), std::string(c.data, 8));
        EXPECT_EQ(std::string(name, 5),
                  c.status != platform::RegStatus::Success || c.name ? "xxxxx" : std::string("Test", 5));
    }
    uint32_t nameSize = 20;
    char name[20];
    EXPECT_EQ(RegEnumValueA(root(), 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              platform::RegStatus::NoMoreItems);
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* count = std::getenv("REGISTRY_PEER_FILL")) return FillAsPeer(std::atoi(count));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
