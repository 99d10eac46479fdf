// Backup, removal and restore together: what comes back must be what was there.
#include <string>

#include "IdentityFixture.h"
#include "identities/RegistryRestore.h"

namespace {

using std::string;

// Alice's key as a long-used identity might hold it: every value type, values the
// fixed-size walk would have lost, and subkeys several levels deep.
TreeKey RichTree() {
    TreeKey tree;
    tree.values = {
        {"", REG_SZ, string("default\0", 8)},
        {"Username", REG_SZ, string("Alice\0", 6)},
        {"User ID", REG_SZ, string("alice-id\0", 9)},
        {"Blob", REG_BINARY, string("\0\1\2\xFF\0", 5)},
        {"Multi", REG_MULTI_SZ, string("one\0two\0\0", 9)},
        {"Nothing", REG_BINARY, ""},
        {"EmptyText", REG_SZ, string(1, '\0')},
        {"NoZero", REG_SZ, "unterminated"},
        {"Flag", REG_DWORD, string("\x78\x56\x34\x12", 4)},
        {"Expand", REG_EXPAND_SZ, string("%TEMP%\\x\0", 10)},
        {"Big", REG_BINARY, string(70000, '\xA5')},
        {string(4500, 'L'), REG_DWORD, string("\1\0\0\0", 4)},
    };
    TreeKey& level3 = tree.subkeys["Software"].subkeys["Microsoft"].subkeys["Outlook Express"];
    level3.subkeys["5.0"].values = {{"Store Root", REG_EXPAND_SZ, string("%UserProfile%\\A\0", 17)}};
    level3.subkeys["5.0"].subkeys["Mail"].subkeys["Rules"].values = {
        {"Order", REG_SZ, string("000 001\0", 8)}};
    level3.subkeys["5.0"].subkeys["Empty Leaf"];
    tree.subkeys["Software"].values = {{"Q", REG_QWORD, string("\1\2\3\4\5\6\7\x08", 8)}};
    tree.subkeys["Zeta"].values = {{"z", REG_DWORD, string(4, '\0')}};
    return tree;
}

class RegistryRoundTripTest : public IdentityFixture {
protected:
    void SetUp() override {
        IdentityFixture::SetUp();
        RegistryKey identities;
        ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(kAlice));
        WriteTree(AlicePath(), RichTree());
    }
};

TEST_F(RegistryRoundTripTest, HideAndRestoreBringBackEveryByte) {
    SetText("Identities", "Default User ID", "alice-id");
    SetText("Identities", "Last User ID", "bob-id");
    SetText("Identities", "Last Username", "Bob");
    TreeKey before, identitiesBefore;
    ASSERT_TRUE(ReadTree(AlicePath(), before));
    ASSERT_EQ(RichTree(), before);
    ASSERT_TRUE(ReadTree("Identities", identitiesBefore));

    RegistryBackup backup;
    ASSERT_TRUE(BackupIdentityKey(backup));
    ASSERT_TRUE(ValidateRegistryBackup(backup));
    ASSERT_TRUE(RemoveIdentityKey());
    EXPECT_FALSE(KeyExists(AlicePath()));
    EXPECT_TRUE(KeyExists(IdentityPath(kBob)));

    ASSERT_TRUE(RestoreIdentityKey(backup));
    TreeKey after, identitiesAfter;
    ASSERT_TRUE(ReadTree(AlicePath(), after));
    EXPECT_EQ(before, after);
    // "Start As" was missing at hide time and comes back as an empty text value.
    ASSERT_TRUE(ReadTree("Identities", identitiesAfter));
    identitiesBefore.values.push_back({"Start As", REG_SZ, string(1, '\0')});
    EXPECT_EQ(identitiesBefore, identitiesAfter);
}

TEST_F(RegistryRoundTripTest, RestoreOverAnExistingKeyKeepsWhatTheBackupDoesNotName) {
    RegistryBackup backup;
    ASSERT_TRUE(BackupIdentityKey(backup));
    // A half-done earlier restore: some values changed, some extra.
    SetText(AlicePath(), "Username", "Changed");
    SetText(AlicePath(), "Extra", "kept");
    SetText(AlicePath() + "\\Zeta\\New", "n", "kept too");

    ASSERT_TRUE(RestoreIdentityKey(backup));
    TreeKey after;
    ASSERT_TRUE(ReadTree(AlicePath(), after));
    TreeKey expected = RichTree();
    expected.values.push_back({"Extra", REG_SZ, string("kept\0", 5)});
    expected.subkeys["Zeta"].subkeys["New"].values.push_back({"n", REG_SZ, string("kept too\0", 9)});
    EXPECT_EQ(expected, after);
}

TEST_F(RegistryRoundTripTest, RestoreWritesThePointersAsTheyWereAtHideTime) {
    SetText("Identities", "Start As", "alice-id");
    RegistryBackup backup;
    ASSERT_TRUE(BackupIdentityKey(backup));
    ASSERT_TRUE(RemoveIdentityKey());
    // Changed by the user while Alice was hidden.
    SetText("Identities", "Start As", "bob-id");
    SetText("Identities", "Last User ID", "bob-id");

    ASSERT_TRUE(RestoreIdentityKey(backup));
    DWORD type = 0;
    string bytes;
    ASSERT_TRUE(GetValue("Identities", "Start As", type, bytes));
    EXPECT_EQ(string("alice-id\0", 9), bytes);
    ASSERT_TRUE(GetValue("Identities", "Last User ID", type, bytes));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(string(1, '\0'), bytes);
}

TEST_F(RegistryRoundTripTest, RestoreRefusesAGuardIdThatIsNotOneKeyName) {
    RegistryBackup backup;
    ASSERT_TRUE(BackupIdentityKey(backup));
    ASSERT_TRUE(RemoveIdentityKey());
    TreeKey before, after;
    ASSERT_TRUE(ReadTree("Identities", before));
    for (const char* guardId : {"", "{B0B00000-0000-0000-0000-000000000002}\\Sub"}) {
        SetGuardId(guardId);
        EXPECT_FALSE(RestoreIdentityKey(backup)) << guardId;
    }
    ASSERT_TRUE(ReadTree("Identities", after));
    EXPECT_EQ(before, after);
}

}  // namespace
