// Values: typed bytes kept exactly, names, order, the Win32 buffer rules for reading
// and enumerating, and key information that counts what is there.
#include <cstring>

#include "RegistryTest.h"

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactBytesAndNamesIgnoreCase) {
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
    } cases[] = {
        {"terminated", REG_SZ, std::string("text", 5)},   {"unterminated", REG_SZ, "text"},
        {"empty string", REG_SZ, std::string(1, '\0')},   {"zero-length text", REG_SZ, ""},
        {"zero-length binary", REG_BINARY, ""},           {"binary", REG_BINARY, std::string("\0\x01\xff\0\x7f", 5)},
        {"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)}, {"expandable", REG_EXPAND_SZ, std::string("%APPDATA%\\x", 12)},
        {"big", REG_BINARY, std::string(70000, '\xa5')},
    };
    for (const auto& c : cases) ASSERT_EQ(SetBytes(root(), c.name, c.type, c.bytes), ERROR_SUCCESS);
    for (const auto& c : cases) {
        DWORD type = 0xdeadbeef, size = 0xdeadbeef;
        ASSERT_EQ(RegQueryValueExA(root(), c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, c.bytes.size()) << c.name;
        EXPECT_EQ(ReadBytes(root(), c.name, &type), c.bytes) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
    // Setting a value again, in another case, replaces type and data under the first spelling.
    ASSERT_EQ(SetBytes(root(), "TERMINATED", REG_DWORD, std::string(4, '\0')), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(ReadBytes(root(), "terminated", &type), std::string(4, '\0'));
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(Names(root(), false)[0], "terminated");
    EXPECT_EQ(RegSetValueExA(root(), "terminated", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(root(), "terminated", &type), "");
    EXPECT_EQ(RegDeleteValueA(root(), "tERMINATED"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(root(), "terminated"), ERROR_FILE_NOT_FOUND);
}

// Windows keeps values in the order they were created (Wine sorts them by name; a run
// against Wine leaves this test out). The unnamed value is named by null or "".
TEST_F(RegistryTest, ValuesComeInCreationOrderAndTheUnnamedValueIsNullOrEmpty) {
    for (const char* name : {"zeta", "Alpha", "mid", "ZETA"}) ASSERT_EQ(SetText(root(), name, "1"), ERROR_SUCCESS);
    EXPECT_EQ(Names(root(), false), (std::vector<std::string>{"zeta", "Alpha", "mid"})) << "one set again keeps its place";
    ASSERT_EQ(RegDeleteValueA(root(), "zeta"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(root(), nullptr, "default"), ERROR_SUCCESS);
    EXPECT_EQ(Names(root(), false), (std::vector<std::string>{"Alpha", "mid", ""}));
    EXPECT_EQ(ReadBytes(root(), ""), std::string("default", 8));
    EXPECT_EQ(RegDeleteValueA(root(), ""), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(root(), nullptr, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, QueryingFollowsTheBufferRules) {
    ASSERT_EQ(SetText(root(), "v", "foobar"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(root(), "abc", REG_SZ, "abc"), ERROR_SUCCESS);
    BYTE data[16];
    std::memset(data, 'x', sizeof data);
    DWORD size = 6;
    EXPECT_EQ(RegQueryValueExA(root(), "v", nullptr, nullptr, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(data[0], 'x') << "a buffer that is too small is not written";
    ASSERT_EQ(RegQueryValueExA(root(), "v", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(data, "foobar\0x", 8), 0);
    size = 0xdeadbeef;
    EXPECT_EQ(RegQueryValueExA(root(), "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u);
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(root(), "missing", nullptr, nullptr, data, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, sizeof data);
    // Text stored without its zero is terminated when there is room.
    std::memset(data, 'x', sizeof data);
    ASSERT_EQ(RegQueryValueExA(root(), "abc", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_STREQ(reinterpret_cast<char*>(data), "abc");
}

TEST_F(RegistryTest, ValueEnumerationWithSmallBuffers) {
    ASSERT_EQ(SetText(root(), "Test", "foobar"), ERROR_SUCCESS);
    const std::string untouched(20, 'x');
    const struct {
        DWORD index, nameSize, dataSize;
        bool dataBuffer;
        LONG status;
        DWORD nameBack, dataBack;
        bool written;  // name and data were written
    } cases[] = {
        {0, 20, 2, true, ERROR_MORE_DATA, 20, 7, false},  // the size needed is reported
        {0, 4, 20, true, ERROR_MORE_DATA, 4, 7, false},   // a name size is not changed
        {0, 20, 20, false, ERROR_SUCCESS, 4, 7, false},   // no data buffer asks for the size only
        {0, 5, 7, true, ERROR_SUCCESS, 4, 7, true},       // exact fit, nothing past the data
        {1, 20, 20, true, ERROR_NO_MORE_ITEMS, 20, 20, false},
    };
    for (const auto& c : cases) {
        char name[20];
        BYTE data[20];
        std::memset(name, 'x', sizeof name);
        std::memset(data, 'x', sizeof data);
        DWORD nameSize = c.nameSize, dataSize = c.dataSize, type = 0xdeadbeef;
        SCOPED_TRACE(testing::Message() << "name " << c.nameSize << " data " << c.dataSize << " index " << c.index);
        EXPECT_EQ(RegEnumValueA(root(), c.index, name, &nameSize, nullptr, &type, c.dataBuffer ? data : nullptr, &dataSize),
                  c.status);
        if (c.status == ERROR_NO_MORE_ITEMS) continue;
        EXPECT_EQ(type, DWORD{REG_SZ});
        EXPECT_EQ(nameSize, c.nameBack);
        EXPECT_EQ(dataSize, c.dataBack);
        EXPECT_EQ(std::memcmp(data, c.written ? "foobar\0x" : untouched.data(), c.written ? 8 : 20), 0);
        if (c.written) EXPECT_STREQ(name, "Test");
        if (c.status != ERROR_SUCCESS) EXPECT_EQ(std::memcmp(name, untouched.data(), 20), 0);
    }
}

TEST_F(RegistryTest, KeyInformationCountsSubkeysAndValues) {
    DWORD subKeys = 9, maxSubKey = 9, values = 9, maxValueName = 9, maxValue = 9;
    auto query = [&] {
        return RegQueryInfoKeyA(root(), 0, 0, 0, &subKeys, &maxSubKey, 0, &values, &maxValueName, &maxValue, 0, 0);
    };
    ASSERT_EQ(query(), ERROR_SUCCESS);
    EXPECT_EQ(subKeys + maxSubKey + values + maxValueName + maxValue, 0u);
    OwnedKey key;
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
