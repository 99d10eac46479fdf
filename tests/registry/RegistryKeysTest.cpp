// Creating, opening, deleting and closing keys, and what old handles answer.
#include "RegistryTest.h"

namespace {
const std::string kX("x", 2);  // "x" with its terminating zero
}

TEST_F(RegistryTest, CreateMakesMissingParentsAndOpensExistingKeys) {
    ScopedKey deep, again;
    DWORD disposition = 0;
    ASSERT_EQ(Create(root(), "One\\Two\\Three", deep, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
    EXPECT_TRUE(Exists(root(), "One\\Two"));

    ASSERT_EQ(Create(root(), "One\\Two\\Three", again, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
    ASSERT_EQ(SetText(deep.get(), "v", "x"), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(again.get(), "v"), kX) << "both handles name one key";
    EXPECT_EQ(SubKeyNames(root()), std::vector<std::string>{"One"});
}

TEST_F(RegistryTest, OpenFindsOnlyExistingKeysAlongAPath) {
    ScopedKey key;
    EXPECT_EQ(Open(root(), "Missing", key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.get(), nullptr);
    EXPECT_FALSE(Exists(root(), "Missing")) << "a failed open creates nothing";

    ASSERT_EQ(Create(root(), "A\\B", key), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(root(), "A\\B"));
    EXPECT_TRUE(Exists(root(), "A\\B\\")) << "a trailing backslash is allowed";
    EXPECT_FALSE(Exists(root(), "A\\B\\C"));
    EXPECT_EQ(Open(root(), "\\A", key), ERROR_BAD_PATHNAME);
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

TEST_F(RegistryTest, AHandleOfADeletedKeyAnswersKeyDeleted) {
    ScopedKey doomed;
    ASSERT_EQ(Create(root(), "Doomed", doomed), ERROR_SUCCESS);
    ASSERT_EQ(SetText(doomed.get(), "v", "x"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(root(), "Doomed"), ERROR_SUCCESS);
    // A new key of the same name is another key: the old handle stays dead.
    ScopedKey reborn;
    ASSERT_EQ(Create(root(), "Doomed", reborn), ERROR_SUCCESS);

    HKEY key = doomed.get();
    BYTE data[8];
    DWORD size = sizeof data;
    char name[16];
    DWORD nameSize = sizeof name;
    DWORD count = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, data, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(SetText(key, "v", "y"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteValueA(key, "v"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    ScopedKey below;
    EXPECT_EQ(Create(key, "Below", below), ERROR_KEY_DELETED);
    EXPECT_TRUE(ValueNames(reborn.get()).empty());
    EXPECT_EQ(RegCloseKey(doomed.release()), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ClosedAndMadeUpHandlesAreRefused) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(root(), "Short-lived", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetText(key, "v", "x"), ERROR_INVALID_HANDLE);

    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    const HKEY madeUp = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x5a5a5a58));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(madeUp, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
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
    EXPECT_EQ(RegQueryValueExA(writer.get(), "v", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    char name[16];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(writer.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(Create(writer.get(), "Below", below), ERROR_SUCCESS)
        << "opening below a key does not depend on that key's rights";
}
