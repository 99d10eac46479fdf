// Values are typed bytes kept exactly; reading follows the Win32 buffer rules; key
// information counts what is there.
#include <cstring>

#include "RegistryTest.h"

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactBytes) {
    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"terminated", REG_SZ, std::string("text", 5)},
        {"unterminated", REG_SZ, "text"},
        {"empty string", REG_SZ, std::string(1, '\0')},
        {"zero-length text", REG_SZ, ""},
        {"zero-length binary", REG_BINARY, ""},
        {"binary", REG_BINARY, std::string("\0\x01\xff\0\x7f", 5)},
        {"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
        {"expandable", REG_EXPAND_SZ, std::string("%APPDATA%\\x", 12)},
        {"big", REG_BINARY, std::string(70000, '\xa5')},
    };
    for (const Case& c : cases) ASSERT_EQ(SetBytes(root(), c.name, c.type, c.bytes), ERROR_SUCCESS);
    for (const Case& c : cases) {
        DWORD type = 0xdeadbeef;
        DWORD size = 0xdeadbeef;
        ASSERT_EQ(RegQueryValueExA(root(), c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, c.bytes.size()) << c.name;
        EXPECT_EQ(ReadBytes(root(), c.name, &type), c.bytes) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
}

TEST_F(RegistryTest, SettingAValueAgainReplacesTypeAndData) {
    ASSERT_EQ(SetText(root(), "v", "a longer text"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(root(), "v", REG_DWORD, std::string(4, '\0')), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(ReadBytes(root(), "v", &type), std::string(4, '\0'));
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(RegSetValueExA(root(), "v", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(root(), "v", &type), "");
}

TEST_F(RegistryTest, QueryingFollowsTheBufferRules) {
    ASSERT_EQ(SetText(root(), "v", "foobar"), ERROR_SUCCESS);
    BYTE data[16];
    std::memset(data, 'x', sizeof data);
    DWORD type = 0;
    DWORD size = 6;
    EXPECT_EQ(RegQueryValueExA(root(), "v", nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(data[0], 'x') << "a buffer that is too small is not written";

    size = 7;
    ASSERT_EQ(RegQueryValueExA(root(), "v", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(data, "foobar", 7), 0);
    EXPECT_EQ(data[7], 'x');

    size = 0xdeadbeef;
    EXPECT_EQ(RegQueryValueExA(root(), "missing", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u);
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(root(), "missing", nullptr, nullptr, data, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, sizeof data);
}

TEST_F(RegistryTest, TextStoredWithoutItsZeroIsTerminatedWhenThereIsRoom) {
    ASSERT_EQ(SetBytes(root(), "v", REG_SZ, "abc"), ERROR_SUCCESS);
    BYTE data[8];
    std::memset(data, 'x', sizeof data);
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(root(), "v", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_STREQ(reinterpret_cast<char*>(data), "abc");
}

TEST_F(RegistryTest, KeyInformationCountsSubkeysAndValues) {
    DWORD subKeys = 9, maxSubKey = 9, values = 9, maxValueName = 9, maxValue = 9;
    auto query = [&] {
        return RegQueryInfoKeyA(root(), nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
                                &values, &maxValueName, &maxValue, nullptr, nullptr);
    };
    ASSERT_EQ(query(), ERROR_SUCCESS);
    EXPECT_EQ(subKeys + maxSubKey + values + maxValueName + maxValue, 0u);

    ScopedKey key;
    ASSERT_EQ(Create(root(), "Short", key), ERROR_SUCCESS);
    ASSERT_EQ(Create(root(), "A longer name\\Below", key), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(root(), "a", REG_BINARY, std::string(300, '\1')), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(root(), "a much longer name", REG_BINARY, "12"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(root(), "", REG_BINARY, ""), ERROR_SUCCESS);
    ASSERT_EQ(query(), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u) << "only direct subkeys count";
    EXPECT_EQ(maxSubKey, 13u);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(maxValueName, 18u);
    EXPECT_EQ(maxValue, 300u);
}
