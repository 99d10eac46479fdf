// The bytes a backup produces (they are stored in containers, so they must not drift),
// and backup, removal and restore together: what comes back must be what was there.
#include <string>

#include "IdentityFixture.h"
#include "identities/RegistryRestore.h"

namespace {

using std::string;
using RegistryBackupTest = IdentityFixture;

TEST_F(RegistryBackupTest, ExactBytes) {
    struct Case {
        const char* what;
        TreeKey tree;
        string structure, data;
    };
    TreeKey example;  // the documented example: A = 7 and subkey S with B = "x"
    example.values = {{"A", REG_DWORD, string("\x07\0\0\0", 4)}};
    example.subkeys["S"].values = {{"B", REG_SZ, string("x\0", 2)}};
    TreeKey empties;  // the unnamed value is saved under an empty name; no data gives n = 1
    empties.values = {{"", REG_BINARY, ""}, {"E", REG_SZ, string(1, '\0')}};
    const Case cases[] = {
        {"documented example", example, string("\x01" "A\0\0\0\0\0" "\x02" "S\0" "\x01" "B\0\0\0\0\0" "\x03\xFF", 19),
         string("\x05\0\0\0\x04\x07\0\0\0" "\x03\0\0\0\x01x\0", 16)},
        {"empty key", TreeKey(), "\xFF", ""},
        {"empty values", empties, string("\x01\0\0\0\0\0" "\x01" "E\0\0\0\0\0" "\xFF", 14),
         string("\x01\0\0\0\x03" "\x02\0\0\0\x01\0", 11)},
    };
    for (const Case& c : cases) {
        ReplaceAlice(c.tree);
        RegistryBackup backup;
        ASSERT_EQ(KeyWalk::Done, BackupIdentityKey(kAlice, backup)) << c.what;
        EXPECT_EQ(c.structure, Bytes(backup.StructureStream)) << c.what;
        EXPECT_EQ(c.data, Bytes(backup.DataStream)) << c.what;
    }
}

// Alice's key as a long-used identity might hold it: every value type, values past the
// old fixed 65,536-byte data and 4,096-character name buffers, the longest key name a
// registry allows, and subkeys several levels deep.
TreeKey RichTree() {
    TreeKey tree;
    tree.values = {
        {"", REG_SZ, string("default\0", 8)},          {"Username", REG_SZ, string("Alice\0", 6)},
        {"User ID", REG_SZ, string("alice-id\0", 9)},  {"Blob", REG_BINARY, string("\0\1\2\xFF\0", 5)},
        {"Multi", REG_MULTI_SZ, string("one\0two\0\0", 9)}, {"Nothing", REG_BINARY, ""},
        {"NoZero", REG_SZ, "unterminated"},            {"Flag", REG_DWORD, string("\x78\x56\x34\x12", 4)},
        {"Expand", REG_EXPAND_SZ, string("%TEMP%\\x\0", 10)}, {"Big", REG_BINARY, string(70000, '\xA5')},
        {string(5000, 'L'), REG_DWORD, string("\1\0\0\0", 4)}, {"last", REG_DWORD, string("\2\0\0\0", 4)},
    };
    TreeKey& client = tree.subkeys["Software"].subkeys["Microsoft"].subkeys["Outlook Express"];
    client.subkeys["5.0"].values = {{"Store Root", REG_EXPAND_SZ, string("%UserProfile%\\A\0", 17)}};
    client.subkeys["5.0"].subkeys["Mail"].subkeys["Rules"].values = {{"Order", REG_SZ, string("000 001\0", 8)}};
    client.subkeys["5.0"].subkeys["Empty Leaf"];
    tree.subkeys["Software"].values = {{"Q", REG_QWORD, string("\1\2\3\4\5\6\7\x08", 8)}};
    tree.subkeys[string(255, 'k')].values = {{"z", REG_DWORD, string(4, '\0')}};
    return tree;
}

TEST_F(RegistryBackupTest, HideAndRestoreBringBackEveryByteAndThePointersOfHideTime) {
    ReplaceAlice(RichTree());
    SetText("Identities", "Default User ID", "alice-id");
    SetText("Identities", "Last User ID", "bob-id");
    SetText("Identities", "Last Username", "Bob");
    TreeKey before, identitiesBefore;
    ASSERT_TRUE(ReadTree(AlicePath(), before));
    ASSERT_EQ(RichTree(), before);
    ASSERT_TRUE(ReadTree("Identities", identitiesBefore));

    RegistryBackup backup;
    ASSERT_EQ(KeyWalk::Done, BackupIdentityKey(kAlice, backup));
    ASSERT_TRUE(ValidateRegistryBackup(backup));
    ASSERT_TRUE(RemoveIdentityKey(kAlice));
    // Changed by the user while Alice was hidden.
    SetText("Identities", "Last User ID", "changed");
    SetText("Identities", "Last Username", "changed");
    ASSERT_TRUE(RestoreIdentityKey(kAlice, backup));
    TreeKey after, identitiesAfter;
    ASSERT_TRUE(ReadTree(AlicePath(), after));
    EXPECT_EQ(before, after);
    // "Start As" was missing at hide time and comes back as an empty text value.
    ASSERT_TRUE(ReadTree("Identities", identitiesAfter));
    identitiesBefore.values.push_back({"Start As", REG_SZ, string(1, '\0')});
    EXPECT_EQ(identitiesBefore, identitiesAfter);
}

TEST_F(RegistryBackupTest, RestoreKeepsWhatTheBackupDoesNotNameAndRefusesOtherKeys) {
    ReplaceAlice(RichTree());
    RegistryBackup backup;
    ASSERT_EQ(KeyWalk::Done, BackupIdentityKey(kAlice, backup));
    // A half-done earlier restore: some values changed, some extra.
    SetText(AlicePath(), "Username", "Changed");
    SetText(AlicePath(), "Extra", "kept");
    ASSERT_TRUE(RestoreIdentityKey(kAlice, backup));
    TreeKey after, expected = RichTree();
    expected.values.push_back({"Extra", REG_SZ, string("kept\0", 5)});
    ASSERT_TRUE(ReadTree(AlicePath(), after));
    EXPECT_EQ(expected, after);

    ASSERT_TRUE(RemoveIdentityKey(kAlice));
    TreeKey identitiesBefore, identitiesAfter;
    ASSERT_TRUE(ReadTree("Identities", identitiesBefore));
    for (const string& guard : {string(), string(kBob) + "\\Sub"}) {
        EXPECT_FALSE(RestoreIdentityKey(guard, backup)) << guard;
    }
    ASSERT_TRUE(ReadTree("Identities", identitiesAfter));
    EXPECT_EQ(identitiesBefore, identitiesAfter);
}

}  // namespace
