// Values: typed bytes kept exactly, names and their order, the Win32 buffer rules for
// reading and enumerating.
#include <cstring>

#include "RegistryTest.h"

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactBytesUnderTheirFirstSpelling) {
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
    } cases[] = {
        {"terminated", REG_SZ, std::string("text", 5)},   {"unterminated", REG_SZ, "text"},
        {"empty string", REG_SZ, std::string(1, '\0')},   {"zero-length text", REG_SZ, ""},
        {"zero-length binary", REG_BINARY, ""},           {"binary", REG_BINARY, std::string("\0\x01\xff\0\x7f", 5)},
        {"dword", REG_DWORD, "\x78\x56\x34\x12"},         {"expandable", REG_EXPAND_SZ, std::string("%APPDATA%\\x", 12)},
        {"big", REG_BINARY, std::string(70000, '\xa5')},
    };
    for (const auto& c : cases) ASSERT_EQ(SetBytes(root(), c.name, c.type, c.bytes), ERROR_SUCCESS);
    for (const auto& c : cases) {
        DWORD type = 0xdeadbeef;
        EXPECT_EQ(ReadBytes(root(), c.name, &type), c.bytes) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
    // Setting a value again, in another case, replaces type and data.
    ASSERT_EQ(SetBytes(root(), "TERMINATED", REG_DWORD, std::string(4, '\0')), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(ReadBytes(root(), "terminated", &type), std::string(4, '\0'));
    EXPECT_EQ(type, DWORD{REG_DWORD});
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

// A buffer too small for the name or the data is not written and the size needed is
// reported; the exact fit writes nothing past the data; text stored without its zero
// is terminated when there is room.
TEST_F(RegistryTest, QueryingAndEnumeratingFollowTheBufferRules) {
    ASSERT_EQ(SetText(root(), "Test", "foobar"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(root(), "abc", REG_SZ, "abc"), ERROR_SUCCESS);
    const struct {
        const char* name;  // queried by name, or enumerated from index 0 when null
        DWORD nameSize, dataSize;
        bool dataBuffer;
        LONG status;
        DWORD nameBack, dataBack;
        const char* data;  // what the data buffer holds afterwards
    } cases[] = {
        {"Test", 0, 6, true, ERROR_MORE_DATA, 0, 7, "xxxxxxxx"},  {"Test", 0, 7, true, ERROR_SUCCESS, 0, 7, "foobar\0x"},
        {"abc", 0, 16, true, ERROR_SUCCESS, 0, 3, "abc\0xxxx"},    {"missing", 0, 16, true, ERROR_FILE_NOT_FOUND, 0, 16, "xxxxxxxx"},
        {"missing", 0, 16, false, ERROR_FILE_NOT_FOUND, 0, 0, "xxxxxxxx"},
        {nullptr, 20, 2, true, ERROR_MORE_DATA, 20, 7, "xxxxxxxx"},  {nullptr, 4, 20, true, ERROR_MORE_DATA, 4, 7, "xxxxxxxx"},
        {nullptr, 20, 20, false, ERROR_SUCCESS, 4, 7, "xxxxxxxx"},   {nullptr, 5, 7, true, ERROR_SUCCESS, 4, 7, "foobar\0x"},
    };
    for (const auto& c : cases) {
        char name[20];
        BYTE data[20];
        std::memset(name, 'x', sizeof name);
        std::memset(data, 'x', sizeof data);
        DWORD nameSize = c.nameSize, dataSize = c.dataSize, type = 0;
        SCOPED_TRACE(testing::Message() << (c.name ? c.name : "enumerated") << " name " << c.nameSize << " data " << c.dataSize);
        EXPECT_EQ(c.name ? RegQueryValueExA(root(), c.name, nullptr, &type, c.dataBuffer ? data : nullptr, &dataSize)
                         : RegEnumValueA(root(), 0, name, &nameSize, nullptr, &type, c.dataBuffer ? data : nullptr, &dataSize),
                  c.status);
        EXPECT_EQ(nameSize, c.nameBack);
        EXPECT_EQ(dataSize, c.dataBack);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 8), std::string(c.data, 8));
        EXPECT_EQ(std::string(name, 5), c.status || c.name ? "xxxxx" : std::string("Test", 5));
    }
    DWORD nameSize = 20;
    char name[20];
    EXPECT_EQ(RegEnumValueA(root(), 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}
