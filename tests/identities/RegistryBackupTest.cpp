// The bytes a backup produces: they are stored in containers, so they must not drift.
#include <string>

#include "IdentityFixture.h"

namespace {

using std::string;

class RegistryBackupTest : public IdentityFixture {
protected:
    // Replaces Alice's key with exactly `tree`.
    void ReplaceAlice(const TreeKey& tree) {
        RegistryKey identities;
        ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(kAlice));
        WriteTree(AlicePath(), tree);
    }
};

TEST_F(RegistryBackupTest, DocumentedExampleGivesItsExactBytes) {
    TreeKey tree;
    tree.values.push_back({"A", REG_DWORD, string("\x07\0\0\0", 4)});
    tree.subkeys["S"].values.push_back({"B", REG_SZ, string("x\0", 2)});
    ReplaceAlice(tree);

    RegistryBackup backup;
    ASSERT_TRUE(BackupIdentityKey(backup));
    EXPECT_EQ(string("\x01" "A\0\0\0\0\0" "\x02" "S\0" "\x01" "B\0\0\0\0\0" "\x03\xFF", 19),
              Bytes(backup.StructureStream));
    EXPECT_EQ(string("\x05\0\0\0\x04\x07\0\0\0" "\x03\0\0\0\x01x\0", 16),
              Bytes(backup.DataStream));
}

TEST_F(RegistryBackupTest, EmptyKeyAndEmptyValues) {
    ReplaceAlice(TreeKey());
    RegistryBackup backup;
    ASSERT_TRUE(BackupIdentityKey(backup));
    EXPECT_EQ(string("\xFF"), Bytes(backup.StructureStream));
    EXPECT_EQ(0u, backup.DataStream.Length());

    // The unnamed value is saved under an empty name; zero-length data gives n = 1.
    TreeKey tree;
    tree.values.push_back({"", REG_BINARY, ""});
    tree.values.push_back({"E", REG_SZ, string(1, '\0')});
    ReplaceAlice(tree);
    ASSERT_TRUE(BackupIdentityKey(backup));
    EXPECT_EQ(string("\x01\0\0\0\0\0" "\x01" "E\0\0\0\0\0" "\xFF", 14),
              Bytes(backup.StructureStream));
    EXPECT_EQ(string("\x01\0\0\0\x03" "\x02\0\0\0\x01\0", 11), Bytes(backup.DataStream));
}

TEST_F(RegistryBackupTest, NoValueIsCutAtTheOldScratchSizes) {
    // Past fixed 65,536-byte data and 4,096-character name buffers; the subkey name
    // has the longest length a registry key name may have.
    const string bigData(65536 + 100, '\x5A');
    const string longName(5000, 'n');
    const string longKey(255, 'k');
    TreeKey tree;
    tree.values.push_back({"first", REG_DWORD, string("\1\0\0\0", 4)});
    tree.values.push_back({"big", REG_BINARY, bigData});
    tree.values.push_back({longName, REG_SZ, string("y\0", 2)});
    tree.values.push_back({"last", REG_DWORD, string("\2\0\0\0", 4)});
    tree.subkeys[longKey].values.push_back({"v", REG_DWORD, string("\3\0\0\0", 4)});
    ReplaceAlice(tree);

    RegistryBackup backup;
    ASSERT_TRUE(BackupIdentityKey(backup));
    const string structure = Bytes(backup.StructureStream);
    const string data = Bytes(backup.DataStream);
    EXPECT_EQ(string("\x01" "first\0\0\0\0\0" "\x01" "big\0\0\0\0\0", 20), structure.substr(0, 20));
    EXPECT_NE(string::npos, structure.find("\x01" + longName + string(5, '\0') + "\x01" "last"));
    EXPECT_NE(string::npos, structure.find("\x02" + longKey + string(1, '\0') + "\x01v"));
    const uint32_t n = bigData.size() + 1;
    EXPECT_EQ(string({char(n), char(n >> 8), char(n >> 16), char(n >> 24), '\x03'}) + bigData,
              data.substr(9, 5 + bigData.size()));
    EXPECT_EQ(9 + 5 + bigData.size() + 7 + 9 + 9, data.size());
}

TEST_F(RegistryBackupTest, RefusesWhatItCannotSaveWhole) {
    RegistryBackup backup;
    SetGuardId("{NOT-THERE}");
    EXPECT_FALSE(BackupIdentityKey(backup));
    // Empty or composite guardid would name Identities itself or some other key.
    SetGuardId("");
    EXPECT_FALSE(BackupIdentityKey(backup));
    SetGuardId(string(kAlice) + "\\Software");
    EXPECT_FALSE(BackupIdentityKey(backup));
    EXPECT_EQ(0u, backup.StructureStream.Length());
}

}  // namespace
