// Keys: creating, opening, deleting and closing, names, enumeration order, and what
// old handles answer.
#include <algorithm>

#include "RegistryTest.h"

namespace {
const std::string kX("x", 2);  // "x" with its terminating zero
}

TEST_F(RegistryTest, CreateMakesParentsAndOpensExistingKeysWhateverTheCase) {
    ScopedKey deep, again, key;
    DWORD disposition = 0;
    ASSERT_EQ(Create(root(), "One\\Two\\MixedCase", deep, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
    EXPECT_TRUE(Exists(root(), "One\\Two"));
    ASSERT_EQ(Create(root(), "ONE\\two\\MIXEDCASE", again, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
    ASSERT_EQ(SetText(deep.get(), "v", "x"), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(again.get(), "v"), kX) << "both handles name one key";
    ASSERT_EQ(Open(root(), "one\\TWO", key), ERROR_SUCCESS);
    EXPECT_EQ(SubKeyNames(key.get()), std::vector<std::string>{"MixedCase"}) << "the first spelling stays";

    EXPECT_EQ(Open(root(), "Missing", key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.get(), nullptr);
    EXPECT_FALSE(Exists(root(), "Missing")) << "a failed open creates nothing";
    EXPECT_TRUE(Exists(root(), "One\\Two\\")) << "a trailing backslash is allowed";
    EXPECT_FALSE(Exists(root(), "One\\Two\\MixedCase\\C"));
    EXPECT_EQ(Open(root(), "\\One", key), ERROR_BAD_PATHNAME);
}

TEST_F(RegistryTest, AnEmptySubKeyOpensTheSameKeyAgain) {
    ScopedKey copy;
    ASSERT_EQ(RegOpenKeyExA(root(), "", 0, KEY_ALL_ACCESS, copy.out()), ERROR_SUCCESS);
    EXPECT_NE(copy.get(), root());
    ASSERT_EQ(SetText(copy.get(), "through the copy", "x"), ERROR_SUCCESS);
    copy.Reset();
    EXPECT_EQ(ReadBytes(root(), "through the copy"), kX) << "closing the copy left root open";
    ASSERT_EQ(RegOpenKeyExA(root(), nullptr, 0, KEY_ALL_ACCESS, copy.out()), ERROR_SUCCESS);
    EXPECT_NE(copy.get(), root());

    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &same), ERROR_SUCCESS);
    EXPECT_EQ(same, HKEY_CURRENT_USER);
    ASSERT_EQ(RegOpenKeyA(root(), "", &same), ERROR_SUCCESS);
    EXPECT_EQ(same, root()) << "the old-style call hands back the handle it was given";
}

TEST_F(RegistryTest, OnlyKeysWithoutSubkeysCanBeDeleted) {
    ScopedKey child;
    ASSERT_EQ(Create(root(), "Parent\\Child", child), ERROR_SUCCESS);
    ASSERT_EQ(SetText(child.get(), "value", "x"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Exists(root(), "Parent\\Child"));
    EXPECT_EQ(RegDeleteKeyA(root(), "PARENT\\child"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(root(), "Parent\\Child"));
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent\\Child"), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(Create(root(), "Parent\\Child", child), ERROR_SUCCESS);
    EXPECT_TRUE(ValueNames(child.get()).empty()) << "the values went with the deleted key";
    EXPECT_EQ(RegDeleteKeyA(child.get(), ""), ERROR_SUCCESS) << "an empty name deletes the key itself";
    EXPECT_FALSE(Exists(root(), "Parent\\Child"));
    EXPECT_EQ(RegDeleteKeyA(root(), "Parent"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, DeletedClosedAndMadeUpHandlesAreRefused) {
    ScopedKey doomed, reborn, below;
    ASSERT_EQ(Create(root(), "Doomed", doomed), ERROR_SUCCESS);
    ASSERT_EQ(SetText(doomed.get(), "v", "x"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(root(), "Doomed"), ERROR_SUCCESS);
    // A new key of the same name is another key: the old handle stays dead.
    ASSERT_EQ(Create(root(), "Doomed", reborn), ERROR_SUCCESS);
    HKEY closed = nullptr;
    ASSERT_EQ(RegCreateKeyA(root(), "Short-lived", &closed), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    const HKEY madeUp = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x5a5a5a58));

    const std::pair<HKEY, LONG> handles[] = {
        {doomed.get(), ERROR_KEY_DELETED}, {closed, ERROR_INVALID_HANDLE}, {madeUp, ERROR_INVALID_HANDLE}};
    for (const auto& [key, expected] : handles) {
        BYTE data[8];
        char name[16];
        DWORD size = sizeof data, nameSize = sizeof name, count = 0;
        EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, data, &size), expected);
        EXPECT_EQ(SetText(key, "v", "y"), expected);
        EXPECT_EQ(RegDeleteValueA(key, "v"), expected);
        EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), expected);
        EXPECT_EQ(RegEnumKeyExA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), expected);
        EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr),
                  expected);
        EXPECT_EQ(Create(key, "Below", below), expected);
    }
    EXPECT_TRUE(ValueNames(reborn.get()).empty());
    EXPECT_EQ(RegCloseKey(doomed.release()), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    HKEY untouched = root();
    EXPECT_EQ(RegOpenKeyExA(nullptr, "Software", 0, KEY_READ, &untouched), ERROR_INVALID_HANDLE);
    EXPECT_EQ(untouched, root());
}

TEST_F(RegistryTest, AHandleDoesOnlyWhatItsRightsAllow) {
    ASSERT_EQ(SetText(root(), "v", "x"), ERROR_SUCCESS);
    ScopedKey reader, writer, below;
    ASSERT_EQ(Open(root(), "", reader, KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(SetText(reader.get(), "w", "y"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader.get(), "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadBytes(reader.get(), "v"), kX);

    ASSERT_EQ(Open(root(), "", writer, KEY_SET_VALUE), ERROR_SUCCESS);
    EXPECT_EQ(SetText(writer.get(), "w", "y"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(writer.get(), "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    char name[16];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(writer.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Create(writer.get(), "Below", below), ERROR_SUCCESS)
        << "opening below a key does not depend on that key's rights";
}

TEST_F(RegistryTest, SubkeysComeInCaseInsensitiveOrderAndNeedRoomForTheZero) {
    for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "bravo2", "Eleven Char"}) {
        ScopedKey key;
        ASSERT_EQ(Create(root(), name, key), ERROR_SUCCESS);
    }
    const std::vector<std::string> expected = {"alpha", "Bravo", "bravo2", "CHARLIE", "delta", "Eleven Char"};
    EXPECT_EQ(SubKeyNames(root()), expected);
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
    const std::vector<std::string> names = {
        "{3A1F0C2D-5B6E-4F70-8A9B-0C1D2E3F4A5B}", "with  two spaces", "dots.and-dashes",
        "caf\xE9", "!#$%&'()+,;=@~", "Outlook Express", std::string(255, 'k')};
    for (const std::string& name : names) {
        ScopedKey key;
        ASSERT_EQ(Create(root(), name.c_str(), key), ERROR_SUCCESS) << name;
        ASSERT_EQ(SetText(root(), name.c_str(), name), ERROR_SUCCESS) << name;
    }
    std::vector<std::string> keys = SubKeyNames(root()), sorted = names;
    std::sort(keys.begin(), keys.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(keys, sorted);
    EXPECT_EQ(ValueNames(root()), names);
    for (const std::string& name : names) EXPECT_EQ(ReadBytes(root(), name.c_str()), name + '\0');
}
