#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "password/PasswordRecord.h"
#include "platform/File.h"
#include "crypto/Md5.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

class PasswordRecordTest : public ::testing::Test {
protected:
    void SetUp() override { SetAuthRecordPathForTesting(authPath); }
    void TearDown() override { SetAuthRecordPathForTesting(""); }

    // CurrentPassword lives for the whole test program; each test starts from a
    // password of its own so that "unchanged" means something.
    void MakeCurrent(const std::string& password) {
        ASSERT_TRUE(SetPassword(password));
        ASSERT_EQ(GetCurrentPassword(), password);
    }

    static std::string RecordBytes(const AuthRecord& record) {
        return std::string(reinterpret_cast<const char*>(&record), sizeof(record));
    }

    static AuthRecord RecordFor(const uint8_t salt[8], const std::string& password) {
        AuthRecord record;
        std::memcpy(record.salt, salt, 8);
        Md5 md5;
        md5.Update(salt, 8);
        md5.Update(password.data(), password.size());
        md5.Final(record.digest);
        return record;
    }

    TempDir dir;
    std::string authPath = dir.file("auth.dat");
};

TEST_F(PasswordRecordTest, WithoutAFileTheDefaultRecordAcceptsTheEmptyPassword) {
    AuthRecord record;
    ReadAuthRecord(record);
    EXPECT_FALSE(record.salt[0] == 0 && record.salt[1] == 0 && record.salt[2] == 0 &&
                 record.salt[3] == 0);
    EXPECT_TRUE(VerifyPassword(""));
    EXPECT_FALSE(VerifyPassword("qerno"));
    EXPECT_FALSE(VerifyPassword(" "));
    EXPECT_FALSE(fs::exists(authPath));
}

TEST_F(PasswordRecordTest, SetPasswordWritesAPrivateRecordThatVerifies) {
    ASSERT_TRUE(SetPassword("Tulip-7"));
    EXPECT_EQ(GetCurrentPassword(), "Tulip-7");

    std::string bytes = ReadWholeFile(authPath);
    ASSERT_EQ(bytes.size(), 24u);
    AuthRecord written;
    std::memcpy(&written, bytes.data(), sizeof(written));
    EXPECT_EQ(RecordBytes(RecordFor(written.salt, "Tulip-7")), bytes);
    EXPECT_EQ(fs::status(authPath).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(authPath + ".new"));

    EXPECT_TRUE(VerifyPassword("Tulip-7"));
    EXPECT_FALSE(VerifyPassword("tulip-7"));
    EXPECT_FALSE(VerifyPassword("Tulip-7 "));
    EXPECT_FALSE(VerifyPassword(""));
}

TEST_F(PasswordRecordTest, TheEmptyPasswordTurnsThePasswordOff) {
    MakeCurrent("old");
    ASSERT_TRUE(SetPassword(""));
    EXPECT_EQ(GetCurrentPassword(), "");
    EXPECT_EQ(ReadWholeFile(authPath).size(), 24u);
    EXPECT_TRUE(VerifyPassword(""));
    EXPECT_FALSE(VerifyPassword("old"));
}

TEST_F(PasswordRecordTest, EachSetPasswordMakesANewSalt) {
    ASSERT_TRUE(SetPassword("same"));
    std::string first = ReadWholeFile(authPath);
    ASSERT_TRUE(SetPassword("same"));
    std::string second = ReadWholeFile(authPath);
    EXPECT_NE(first.substr(0, 8), second.substr(0, 8));
    EXPECT_NE(first, second);
    EXPECT_TRUE(VerifyPassword("same"));
}

TEST_F(PasswordRecordTest, VerifyingSetsOrKeepsTheCurrentPassword) {
    MakeCurrent("before");
    const uint8_t salt[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    WriteWholeFile(authPath, RecordBytes(RecordFor(salt, "right")));

    EXPECT_FALSE(VerifyPassword("wrong"));
    EXPECT_FALSE(VerifyPassword("RIGHT"));
    EXPECT_EQ(GetCurrentPassword(), "before");
    EXPECT_TRUE(VerifyPassword("right"));
    EXPECT_EQ(GetCurrentPassword(), "right");
}

TEST_F(PasswordRecordTest, ZeroSaltStartAcceptsOnlyTheFixedPassword) {
    MakeCurrent("before");
    // Whatever the digest says: here it is the digest of "before".
    const uint8_t salt[8] = {0, 0, 0, 0, 9, 9, 9, 9};
    WriteWholeFile(authPath, RecordBytes(RecordFor(salt, "before")));

    EXPECT_FALSE(VerifyPassword("before"));
    EXPECT_FALSE(VerifyPassword("Qerno"));
    EXPECT_FALSE(VerifyPassword("qerno "));
    EXPECT_FALSE(VerifyPassword(std::string("qerno\0", 6)));
    EXPECT_FALSE(VerifyPassword(""));
    EXPECT_TRUE(VerifyPassword("qerno"));
    EXPECT_EQ(GetCurrentPassword(), "before");
}

TEST_F(PasswordRecordTest, OnlyTheFirst24BytesCountAndMissingOnesAreTheDefault) {
    const uint8_t salt[8] = {0x31, 0x41, 0x59, 0x26, 0x53, 0x58, 0x97, 0x93};
    WriteWholeFile(authPath, RecordBytes(RecordFor(salt, "pi")) + "tail!!");
    EXPECT_TRUE(VerifyPassword("pi"));

    fs::remove(authPath);
    AuthRecord defaults;
    ReadAuthRecord(defaults);
    WriteWholeFile(authPath, "\x01\x02\x03\x04\x05");
    AuthRecord overlaid;
    ReadAuthRecord(overlaid);
    std::string expected = RecordBytes(defaults);
    expected.replace(0, 5, "\x01\x02\x03\x04\x05");
    EXPECT_EQ(RecordBytes(overlaid), expected);
    EXPECT_FALSE(VerifyPassword(""));

    // The default salt alone, without its digest, still gives the default record.
    WriteWholeFile(authPath, RecordBytes(defaults).substr(0, 8));
    EXPECT_TRUE(VerifyPassword(""));
}

TEST_F(PasswordRecordTest, AHeldRecordReadsAsTheDefault) {
    ASSERT_TRUE(SetPassword("held"));
    platform::File holder = platform::File::Open(authPath, platform::File::Mode::Read);
    EXPECT_TRUE(VerifyPassword(""));
    EXPECT_FALSE(VerifyPassword("held"));
}

// When auth.dat cannot be written the old password stays in force, in this run and on
// disk, and the caller hears of it.
class UnwritableRecordTest : public PasswordRecordTest {
protected:
    void SetUp() override {
        PasswordRecordTest::SetUp();
        MakeCurrent("old password");
        before = ReadWholeFile(authPath);
    }
    void ExpectNothingChanged() {
        EXPECT_EQ(GetCurrentPassword(), "old password");
        EXPECT_EQ(ReadWholeFile(authPath), before);
        EXPECT_FALSE(fs::exists(authPath + ".new"));
        EXPECT_TRUE(VerifyPassword("old password"));
    }
    std::string before;
};

TEST_F(UnwritableRecordTest, FileHeldByAnotherOpen) {
    {
        platform::File holder = platform::File::Open(authPath, platform::File::Mode::Read);
        EXPECT_FALSE(SetPassword("new password"));
    }
    ExpectNothingChanged();
}

TEST_F(UnwritableRecordTest, ReadOnlyFile) {
    ASSERT_TRUE(platform::SetFileAttributes(authPath, platform::AttributeReadOnly));
    EXPECT_FALSE(SetPassword("new password"));
    ExpectNothingChanged();
}

TEST_F(UnwritableRecordTest, ReadOnlyFolder) {
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    bool folderRefusesWrites = !platform::FileExists(dir.file("probe")) &&
                               !std::ofstream(dir.file("probe")).is_open();
    if (!folderRefusesWrites) {
        fs::remove(dir.file("probe"));
        fs::permissions(dir.path(), fs::perms::owner_all);
        GTEST_SKIP() << "this user may write into read-only folders";
    }
    EXPECT_FALSE(SetPassword("new password"));
    fs::permissions(dir.path(), fs::perms::owner_all);
    ExpectNothingChanged();
}

TEST_F(UnwritableRecordTest, FolderMissing) {
    SetAuthRecordPathForTesting(dir.file("gone/auth.dat"));
    EXPECT_FALSE(SetPassword("new password"));
    SetAuthRecordPathForTesting(authPath);
    ExpectNothingChanged();
}

}  // namespace
