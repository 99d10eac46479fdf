// Enumeration by index: subkeys in case-insensitive order, values in creation order,
// and what too-small buffers get.
#include <cstring>

#include "RegistryTest.h"

TEST_F(RegistryTest, SubkeysComeInCaseInsensitiveOrder) {
    for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "bravo2", "Alpha1"}) {
        ScopedKey key;
        ASSERT_EQ(Create(root(), name, key), ERROR_SUCCESS);
    }
    const std::vector<std::string> expected = {"alpha", "Alpha1", "Bravo", "bravo2", "CHARLIE",
                                               "delta"};
    EXPECT_EQ(SubKeyNames(root()), expected);

    char name[64];
    for (DWORD i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(RegEnumKeyA(root(), i, name, sizeof name), ERROR_SUCCESS);
        EXPECT_EQ(name, expected[i]);
    }
    EXPECT_EQ(RegEnumKeyA(root(), 6, name, sizeof name), ERROR_NO_MORE_ITEMS);

    ASSERT_EQ(RegDeleteKeyA(root(), "Bravo"), ERROR_SUCCESS);
    ASSERT_EQ(RegEnumKeyA(root(), 2, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "bravo2") << "later keys move down when one goes";
}

// Windows keeps values in the order they were created; Wine sorts them by name, so a
// run against Wine leaves this test out (--gtest_filter=-*CreationOrder*).
TEST_F(RegistryTest, ValuesComeInCreationOrder) {
    for (const char* name : {"zeta", "Alpha", "mid"}) ASSERT_EQ(SetText(root(), name, "1"), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(root()), (std::vector<std::string>{"zeta", "Alpha", "mid"}));

    ASSERT_EQ(SetText(root(), "ZETA", "2"), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(root()), (std::vector<std::string>{"zeta", "Alpha", "mid"}))
        << "a value set again keeps its place";

    ASSERT_EQ(RegDeleteValueA(root(), "zeta"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(root(), "zeta", "3"), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(root()), (std::vector<std::string>{"Alpha", "mid", "zeta"}));
}

TEST_F(RegistryTest, SubkeyNameBufferNeedsRoomForTheZero) {
    ScopedKey key;
    ASSERT_EQ(Create(root(), "Eleven Char", key), ERROR_SUCCESS);
    char name[32];
    DWORD size = 11;
    EXPECT_EQ(RegEnumKeyExA(root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(root(), 0, name, 11), ERROR_MORE_DATA);

    size = 12;
    ASSERT_EQ(RegEnumKeyExA(root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 11u) << "the length comes back without the zero";
    EXPECT_STREQ(name, "Eleven Char");
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(root(), 1, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryTest, ValueEnumerationWithSmallBuffers) {
    ASSERT_EQ(SetText(root(), "Test", "foobar"), ERROR_SUCCESS);
    char name[20];
    BYTE data[20];
    DWORD nameSize, dataSize, type;
    auto reset = [&](DWORD names, DWORD datas) {
        std::memset(name, 'x', sizeof name);
        std::memset(data, 'x', sizeof data);
        nameSize = names;
        dataSize = datas;
        type = 0xdeadbeef;
    };
    auto untouched = [](const void* p) {
        return std::memcmp(p, std::string(20, 'x').data(), 20) == 0;
    };

    reset(20, 2);
    EXPECT_EQ(RegEnumValueA(root(), 0, name, &nameSize, nullptr, &type, data, &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 7u) << "the size needed is reported";
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(nameSize, 20u);
    EXPECT_TRUE(untouched(name));
    EXPECT_TRUE(untouched(data));

    reset(4, 20);
    EXPECT_EQ(RegEnumValueA(root(), 0, name, &nameSize, nullptr, &type, data, &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, 4u) << "a name size is not changed";
    EXPECT_EQ(dataSize, 7u);

    reset(20, 20);
    ASSERT_EQ(RegEnumValueA(root(), 0, name, &nameSize, nullptr, &type, nullptr, &dataSize),
              ERROR_SUCCESS);
    EXPECT_EQ(dataSize, 7u) << "no data buffer asks for the size only";
    EXPECT_TRUE(untouched(data));

    reset(5, 7);
    ASSERT_EQ(RegEnumValueA(root(), 0, name, &nameSize, nullptr, &type, data, &dataSize),
              ERROR_SUCCESS);
    EXPECT_EQ(nameSize, 4u);
    EXPECT_STREQ(name, "Test");
    EXPECT_EQ(std::memcmp(data, "foobar", 7), 0);
    EXPECT_EQ(data[7], 'x') << "nothing is written past the data";

    reset(20, 20);
    EXPECT_EQ(RegEnumValueA(root(), 1, name, &nameSize, nullptr, &type, data, &dataSize),
              ERROR_NO_MORE_ITEMS);
}
