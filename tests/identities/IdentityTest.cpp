// The catalogue, removal of the protected identity, and backup and restore of its key:
// the bytes a backup makes are a file format, and what a restore brings back must be
// exactly what was there.
#include <string>

#include "Identities.h"
#include "identities/IdentityCatalogue.h"
#include "identities/RegistryRestore.h"

namespace {

using std::string;
using IdentityTest = WorldTest;  // kGuard "Work" (work-user-id) is protected, kOther "Home"

TEST_F(IdentityTest, CatalogueListsCompleteIdentitiesInRegistryOrderAndLooksUpExactly) {
    // Left out: no version key, no Store Root, no User ID. Present but empty counts; only
    // the first version key counts.
    const string version = "\\Software\\Microsoft\\Outlook Express\\5.0";
    CreateKeyPath(IdentityPath("{1 no version key}") + "\\Software\\Microsoft\\Outlook Express");
    SetText(IdentityPath("{1 no version key}"), "Username", "x");
    SetText(IdentityPath("{1 no version key}"), "User ID", "x");
    SetText(IdentityPath("{2 no store root}"), "Username", "y");
    SetText(IdentityPath("{2 no store root}"), "User ID", "y");
    CreateKeyPath(IdentityPath("{2 no store root}") + version);
    SetText(IdentityPath("{3 no user id}"), "Username", "z");
    SetText(IdentityPath("{3 no user id}") + version, "Store Root", "C:\\z");
    AddIdentity("{0 empty name}", "", "", "");
    SetText(IdentityPath("{0 empty name}") + "\\Software\\Microsoft\\Outlook Express\\6.0", "Store Root", "x");
    const IdentityCatalogue catalogue = IdentityCatalogue::Read();
    ASSERT_EQ(3u, catalogue.Count());
    const IdentityRecord& empty = catalogue.At(0);
    EXPECT_EQ(std::make_tuple(string("{0 empty name}"), string(), string(), string()),
              std::tie(empty.KeyName, empty.Username, empty.UserId, empty.StoreRoot));
    EXPECT_EQ(World::kOther, catalogue.At(1).KeyName);
    EXPECT_EQ("%UserProfile%/Mail/Store {6A1C}", catalogue.At(2).StoreRoot);

    const string lower = "{6a1c2e40-0b7d-4e59-9c1a-3f0d2b7e5a11}";
    EXPECT_EQ(-1, catalogue.Find(lower));
    EXPECT_EQ(lower, catalogue.UserIdOf(lower));
    EXPECT_EQ("", catalogue.UsernameOf(lower));
    EXPECT_EQ("work-user-id", catalogue.UserIdOf(World::kGuard));
    EXPECT_EQ("Home", catalogue.UsernameOf(World::kOther));
    EXPECT_EQ("{0 empty name}", catalogue.FirstOtherThan(lower));
    // The registry cannot hold two equal key names, so this list is made by hand.
    const IdentityCatalogue twice({{"{a}", "A", "a", "C:\\"}, {"{b}", "B", "b", "C:\\"}, {"{a}", "A 2", "a2", "D:\\"}});
    EXPECT_EQ(2, twice.Find("{a}"));
    EXPECT_EQ("{b}", twice.FirstOtherThan("{a}"));
    world.DeleteIdentities();
    EXPECT_EQ(0u, IdentityCatalogue::Read().Count());
    EXPECT_EQ(World::kGuard, IdentityCatalogue::Read().FirstOtherThan(World::kGuard));
}

TEST_F(IdentityTest, RemovalMovesOnlyThePointersAtTheProtectedIdentity) {
    const char* const kPointers[] = {"Default User ID", "Last User ID", "Last Username", "Start As"};
    const struct {
        const char* what;
        bool alone, refuseWrites;
        std::vector<string> before, after;  // in the order of kPointers; "" for missing
    } cases[] = {
        {"at it", false, false, {"work-user-id", "work-user-id", "Work", "work-user-id"}, {"home-user-id", "home-user-id", "Home", "home-user-id"}},
        // "Last Username" is never compared on its own; ids differing in case are others.
        {"elsewhere", false, false, {"x-id", "x-id", "Work", "WORK-USER-ID"}, {"x-id", "x-id", "Work", "WORK-USER-ID"}},
        {"missing", false, false, {"", "", "", ""}, {"", "", "", ""}},
        // A pointer that cannot be moved would name an identity that is gone: the key stays.
        {"full registry", false, true, {"work-user-id", "", "", ""}, {"work-user-id", "", "", ""}},
        // The only identity keeps its pointers; the name comes from the catalogue.
        {"alone", true, false, {"work-user-id", "work-user-id", "Old", "work-user-id"}, {"work-user-id", "work-user-id", "Work", "work-user-id"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(World::WriteIdentity(World::kGuard, "Work", "work-user-id", "C:\\W"));
        RegistryKey identities;
        ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
        if (c.alone) {
            ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(World::kOther));
        }
        for (size_t k = 0; k < 4; ++k) {
            RegDeleteValueA(identities.Handle(), kPointers[k]);
            if (!c.before[k].empty()) SetText("Identities", kPointers[k], c.before[k]);
        }
        if (c.refuseWrites) world.RefuseRegistryValueWrites(true);
        EXPECT_EQ(!c.refuseWrites, RemoveIdentityKey(World::kGuard));
        if (c.refuseWrites) world.RefuseRegistryValueWrites(false);
        EXPECT_EQ(c.refuseWrites, KeyExists(kGuardPath));
        EXPECT_NE(c.alone, KeyExists(IdentityPath(World::kOther)));
        for (size_t k = 0; k < 4; ++k)
            EXPECT_EQ(c.after[k].empty() ? std::nullopt : std::optional<string>(c.after[k]), GetText("Identities", kPointers[k]))
                << kPointers[k];
    }
}

TEST_F(IdentityTest, NothingIsSavedRemovedOrRestoredForANameThatIsNotOneKey) {
    // An empty or composite name would address Identities itself or some other key.
    RegistryBackup good;
    ASSERT_EQ(KeyWalk::Done, BackupIdentityKey(World::kGuard, good));
    for (const string& name : {string("{NOT-THERE}"), string(), string(World::kGuard) + "\\Level1"}) {
        RegistryBackup backup;
        EXPECT_EQ(KeyWalk::Failed, BackupIdentityKey(name, backup)) << name;
        EXPECT_EQ(0u, backup.StructureStream.Length());
        EXPECT_FALSE(RemoveIdentityKey(name)) << name;
    }
    for (const string& name : {string(), string(World::kGuard) + "\\Level1"}) EXPECT_FALSE(RestoreIdentityKey(name, good)) << name;
    EXPECT_EQ(before, world.Now());
}

TEST_F(IdentityTest, BackupBytes) {
    TreeKey example;  // A = 7 and subkey S with B = "x"
    example.values = {{"A", REG_DWORD, string("\x07\0\0\0", 4)}};
    example.subkeys["S"].values = {{"B", REG_SZ, string("x\0", 2)}};
    TreeKey empties;  // the unnamed value is saved under an empty name; no data gives n = 1
    empties.values = {{"", REG_BINARY, ""}, {"E", REG_SZ, string(1, '\0')}};
    const std::tuple<TreeKey, string, string> cases[] = {
        {example, string("\x01" "A\0\0\0\0\0" "\x02" "S\0" "\x01" "B\0\0\0\0\0" "\x03\xFF", 19),
         string("\x05\0\0\0\x04\x07\0\0\0" "\x03\0\0\0\x01x\0", 16)},
        {TreeKey(), "\xFF", ""},
        {empties, string("\x01\0\0\0\0\0" "\x01" "E\0\0\0\0\0" "\xFF", 14), string("\x01\0\0\0\x03" "\x02\0\0\0\x01\0", 11)},
    };
    for (const auto& [tree, structure, data] : cases) {
        ReplaceGuard(tree);
        RegistryBackup backup;
        ASSERT_EQ(KeyWalk::Done, BackupIdentityKey(World::kGuard, backup));
        EXPECT_EQ(structure, Bytes(backup.StructureStream));
        EXPECT_EQ(data, Bytes(backup.DataStream));
    }
}

// The world's key holds every value type, a value past 64 KiB and keys several levels
// deep; added here: the longest names a registry allows and an empty leaf.
TEST_F(IdentityTest, RestoreBringsBackEveryByteAndThePointersOfBackupTime) {
    SetValue(kGuardPath, string(5000, 'L'), REG_DWORD, string("\1\0\0\0", 4));
    SetValue(kGuardPath + "\\" + string(255, 'k'), "Q", REG_QWORD, string("\1\2\3\4\5\6\7\x08", 8));
    CreateKeyPath(kGuardPath + "\\Level1\\Empty Leaf");
    SetText("Identities", "Last User ID", "home-user-id");
    SetText("Identities", "Last Username", "Home");
    RegistryKey pointers;
    ASSERT_EQ(ERROR_SUCCESS, pointers.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(pointers.Handle(), "Start As"));
    TreeKey tree, identities;
    ASSERT_TRUE(ReadTree(kGuardPath, tree));
    ASSERT_TRUE(ReadTree("Identities", identities));
    RegistryBackup backup;
    ASSERT_EQ(KeyWalk::Done, BackupIdentityKey(World::kGuard, backup));
    ASSERT_TRUE(ValidateRegistryBackup(backup));
    EXPECT_EQ(KeyInPlace::PartOfBackup, CompareIdentityKeyWithBackup(World::kGuard, backup));

    // A half-done earlier restore: a value changed, one extra. Values the backup does
    // not name are kept.
    SetText(kGuardPath, "Username", "Changed");
    SetText(kGuardPath, "Extra", "kept");
    EXPECT_EQ(KeyInPlace::Differs, CompareIdentityKeyWithBackup(World::kGuard, backup));
    ASSERT_TRUE(RestoreIdentityKey(World::kGuard, backup));
    TreeKey after, expected = tree;
    expected.values.push_back({"Extra", REG_SZ, string("kept\0", 5)});
    ASSERT_TRUE(ReadTree(kGuardPath, after));
    EXPECT_EQ(expected, after);

    ASSERT_TRUE(RemoveIdentityKey(World::kGuard));
    EXPECT_EQ(KeyInPlace::Missing, CompareIdentityKeyWithBackup(World::kGuard, backup));
    SetText("Identities", "Last User ID", "changed while hidden");
    ASSERT_TRUE(RestoreIdentityKey(World::kGuard, backup));
    ASSERT_TRUE(ReadTree(kGuardPath, after));
    EXPECT_EQ(tree, after);
    // "Start As" was missing at backup time and comes back as an empty text value.
    identities.values.push_back({"Start As", REG_SZ, string(1, '\0')});
    ASSERT_TRUE(ReadTree("Identities", after));
    EXPECT_EQ(identities, after);
}

}  // namespace
