// The registry key holder: ownership of the handle, the bounded text read and the
// recursive deletion.
#include <gtest/gtest.h>

#include "RegistryTree.h"
#include "identities/RegistryKey.h"
#include "support/TempRegistry.h"

namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(key_.Create(HKEY_CURRENT_USER, "Software\\Test", KEY_ALL_ACCESS), ERROR_SUCCESS);
    }
    TempRegistry registry_;
    RegistryKey key_;
};

}  // namespace

TEST_F(RegistryKeyTest, DeleteSubtreeRemovesEveryLevelAndNothingBeside) {
    CreateKeyPath("Software\\Test\\Target\\L1\\L2\\L3\\L4\\L5");
    CreateKeyPath("Software\\Test\\Target\\L1\\Second");
    CreateKeyPath("Software\\Test\\Target\\Other\\Leaf");
    CreateKeyPath("Software\\Test\\Targets");
    SetText("Software\\Test\\Target\\L1\\L2", "value", "x");
    RegistryKey deep;
    ASSERT_EQ(deep.Open(HKEY_CURRENT_USER, "Software\\Test\\Target\\L1\\L2", KEY_ALL_ACCESS),
              ERROR_SUCCESS);

    EXPECT_EQ(key_.DeleteSubtree("TARGET"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists("Software\\Test\\Target"));
    EXPECT_TRUE(KeyExists("Software\\Test\\Targets"));
    EXPECT_EQ(deep.QueryString("value", "gone"), "gone");
}

TEST_F(RegistryKeyTest, DeleteSubtreeOfAMissingKeyFailsAndDeletesNothing) {
    CreateKeyPath("Software\\Test\\Keep\\Below");
    EXPECT_EQ(key_.DeleteSubtree("Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key_.DeleteSubtree(""), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(KeyExists("Software\\Test\\Keep\\Below"));
    RegistryKey none;
    EXPECT_NE(none.DeleteSubtree("Test"), ERROR_SUCCESS);
}

TEST_F(RegistryKeyTest, QueryStringReadsAtMost16384Bytes) {
    const std::string longest(RegistryKey::kMaxStringBytes - 1, 'a');
    SetValue("Software\\Test", "fits", REG_SZ, longest + '\0');
    SetValue("Software\\Test", "too long", REG_SZ, longest + "b" + '\0');
    SetValue("Software\\Test", "unterminated", REG_BINARY, longest + "c");

    DWORD bytes = 0;
    EXPECT_EQ(key_.QueryString("fits", "default", bytes), longest);
    EXPECT_EQ(bytes, 16384u);
    EXPECT_EQ(key_.QueryString("too long", "default", bytes), "default");
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(key_.QueryString("unterminated", "", bytes), longest + "c");
    EXPECT_EQ(bytes, 16384u);
}

TEST_F(RegistryKeyTest, QueryStringTellsAMissingValueFromAnEmptyOne) {
    SetValue("Software\\Test", "empty", REG_SZ, std::string(1, '\0'));
    SetValue("Software\\Test", "text", REG_SZ, std::string("two\0words", 10));
    DWORD bytes = 99;
    EXPECT_EQ(key_.QueryString("missing", "", bytes), "");
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(key_.QueryString("missing"), "");
    EXPECT_EQ(key_.QueryString("missing", "fallback"), "fallback");
    EXPECT_EQ(key_.QueryString("empty", "fallback", bytes), "");
    EXPECT_EQ(bytes, 1u);
    EXPECT_EQ(key_.QueryString("text", "", bytes), "two") << "the text ends at the first zero";
    EXPECT_EQ(bytes, 10u);
    RegistryKey none;
    EXPECT_EQ(none.QueryString("text", "fallback", bytes), "fallback");
}

TEST_F(RegistryKeyTest, TheHolderOwnsExactlyOneHandle) {
    SetValue("Software\\Test", "v", REG_SZ, std::string("x", 2));
    const HKEY first = key_.Handle();
    EXPECT_EQ(key_.Open(HKEY_CURRENT_USER, "Software\\Missing", KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key_.Handle(), first) << "a failed open keeps the held key";
    EXPECT_EQ(key_.QueryString("v"), "x");

    ASSERT_EQ(key_.Open(HKEY_CURRENT_USER, "Software", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(first), ERROR_INVALID_HANDLE) << "the old handle was closed";

    RegistryKey moved(std::move(key_));
    EXPECT_FALSE(key_.IsOpen());
    const HKEY held = moved.Handle();
    {
        RegistryKey target;
        target = std::move(moved);
        EXPECT_EQ(target.Handle(), held);
    }
    EXPECT_EQ(RegCloseKey(held), ERROR_INVALID_HANDLE) << "closed once, when its last holder died";
    EXPECT_EQ(moved.Close(), ERROR_SUCCESS);
}
