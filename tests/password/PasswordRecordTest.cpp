// auth.dat: salt and MD5(salt || password), the fixed start password, and a record that
// cannot be written leaving the old password in force.
#include <gtest/gtest.h>

#include <filesystem>

#include "crypto/Md5.h"
#include "password/PasswordRecord.h"
#include "platform/File.h"
#include "support/FilePrivacy.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string RecordFor(const std::string& salt, const std::string& password) {
    Md5 md5;
    md5.Update(salt.data(), 8);
    md5.Update(password.data(), password.size());
    uint8_t digest[Md5::kDigestSize];
    md5.Final(digest);
    return salt.substr(0, 8) + std::string(reinterpret_cast<char*>(digest), sizeof digest);
}

// The password in force lives as long as the test program; each test sets its own.
struct PasswordRecordTest : ::testing::Test {
    void SetUp() override { environment.Set(kAuthRecordVariable, authPath); }
    TempDir dir;
    std::string authPath = dir.file("auth.dat");
    ScopedEnvironment environment;
};

// When auth.dat cannot be written the old password stays in force, in this run and on
// disk, and the caller hears of it.
TEST_F(PasswordRecordTest, SetWritesAFreshlySaltedPrivateRecordOrKeepsTheOldOne) {
    EXPECT_TRUE(VerifyPassword("")) << "without a file the default record takes the empty password";
    ASSERT_TRUE(SetPassword("Tulip-7"));
    const std::string first = ReadWholeFile(authPath);
    EXPECT_EQ(RecordFor(first, "Tulip-7"), first);
    EXPECT_TRUE(OnlyTheUserMayOpen(authPath));
    for (const char* wrong : {"tulip-7", "Tulip-7 ", ""}) EXPECT_FALSE(VerifyPassword(wrong)) << wrong;
    ASSERT_TRUE(SetPassword("Tulip-7"));
    const std::string before = ReadWholeFile(authPath);
    EXPECT_NE(before.substr(0, 8), first.substr(0, 8)) << "each set makes a new salt";
    platform::File holder;
    ASSERT_TRUE(platform::File::Open(authPath, platform::File::Mode::Read, holder).ok());
    for (const std::string& path : {authPath, dir.file("gone/auth.dat"), authPath}) {  // held, no folder, read-only
        environment.Set(kAuthRecordVariable, path);
        EXPECT_FALSE(SetPassword("new password")) << path;
        environment.Set(kAuthRecordVariable, authPath);
        EXPECT_EQ(GetCurrentPassword(), "Tulip-7");
        ASSERT_TRUE(holder.Close().ok());  // a held file cannot be read either (Windows)
        EXPECT_EQ(ReadWholeFile(authPath), before);
        EXPECT_FALSE(fs::exists(authPath + ".new"));  // each round ends by setting up the next
        fs::permissions(authPath, fs::perms::owner_read);
    }
}

TEST_F(PasswordRecordTest, VerifyingTakesTheRecordAsWrittenByHand) {
    ASSERT_TRUE(SetPassword("before"));
    WriteWholeFile(authPath, RecordFor("\1\2\3\4\5\6\7\x08", "right") + "tail!!");  // only 24 bytes count
    EXPECT_FALSE(VerifyPassword("RIGHT"));
    EXPECT_EQ(GetCurrentPassword(), "before");
    EXPECT_TRUE(VerifyPassword("right"));
    EXPECT_EQ(GetCurrentPassword(), "right");
    // A salt starting with four zeros accepts the fixed start password alone, whatever
    // the digest says (here: the digest of "right"), and leaves the password in force.
    WriteWholeFile(authPath, RecordFor(std::string("\0\0\0\0\x09\x09\x09\x09", 8), "right"));
    for (const std::string& wrong : {std::string("right"), std::string("Qerno"), std::string("qerno\0", 6), std::string()})
        EXPECT_FALSE(VerifyPassword(wrong)) << wrong;
    EXPECT_TRUE(VerifyPassword("qerno"));
    EXPECT_EQ(GetCurrentPassword(), "right");
    WriteWholeFile(authPath, RecordFor(std::string("\0\0\0\x01\x09\x09\x09\x09", 8), "right"));  // three zeros only
    EXPECT_FALSE(VerifyPassword("qerno"));
    // Bytes missing from a short file are those of the default record: its salt alone
    // takes the empty password.
    AuthRecord defaults;
    fs::remove(authPath);
    ReadAuthRecord(defaults);
    WriteWholeFile(authPath, std::string(reinterpret_cast<const char*>(defaults.salt), 8));
    EXPECT_TRUE(VerifyPassword(""));
}

}  // namespace
