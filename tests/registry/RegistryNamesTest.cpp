// Names: compared without regard to case, kept as first spelled, any byte allowed
// (but the backslash in key names).
#include <algorithm>

#include "RegistryTest.h"

TEST_F(RegistryTest, KeyNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    ScopedKey key, again;
    ASSERT_EQ(Create(root(), "MixedCase Key", key), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(root(), "MIXEDCASE KEY"));
    EXPECT_TRUE(Exists(root(), "mixedcase key"));
    DWORD disposition = 0;
    ASSERT_EQ(Create(root(), "MIXEDCASE key", again, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
    EXPECT_EQ(SubKeyNames(root()), std::vector<std::string>{"MixedCase Key"});
}

TEST_F(RegistryTest, ValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    ASSERT_EQ(SetText(root(), "Username", "first"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(root(), "USERNAME", "second"), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(root()), std::vector<std::string>{"Username"});
    EXPECT_EQ(ReadBytes(root(), "username"), std::string("second", 7));
    EXPECT_EQ(RegDeleteValueA(root(), "uSERNAME"), ERROR_SUCCESS);
    EXPECT_TRUE(ValueNames(root()).empty());
    EXPECT_EQ(RegDeleteValueA(root(), "Username"), ERROR_FILE_NOT_FOUND);
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
    std::vector<std::string> keys = SubKeyNames(root());
    std::vector<std::string> sorted = names;
    std::sort(keys.begin(), keys.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(keys, sorted);
    EXPECT_EQ(ValueNames(root()), names);
    for (const std::string& name : names) {
        EXPECT_EQ(ReadBytes(root(), name.c_str()), std::string(name.c_str(), name.size() + 1));
    }
}

TEST_F(RegistryTest, TheUnnamedValueIsReachedByNullAndEmptyName) {
    ASSERT_EQ(SetText(root(), nullptr, "default"), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(root(), ""), std::string("default", 8));
    EXPECT_EQ(ValueNames(root()), std::vector<std::string>{""});
    EXPECT_EQ(RegDeleteValueA(root(), ""), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(root(), nullptr, nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
}
