// The catalogue, removal of the protected identity, and backup and restore of its key.
#include <algorithm>
#include <string>

#include "identities/IdentityCatalogue.h"
#include "identities/RegistryBackup.h"
#include "identities/RegistryKey.h"
#include "identities/RegistryRestore.h"
#include "platform/Shell.h"
#include "support/World.h"

void PrintTo(BackupDefect defect, std::ostream* out) { *out << DescribeBackupDefect(defect); }

namespace {

using std::string;
using IdentityTest = WorldTest;  // kGuard "Work" (work-user-id) is protected, kOther "Home"
const string kGuardPath = IdentityPath(World::kGuard);
// A = 7 (platform::RegType::Dword) and subkey S with B = "x".
const string kStructure("\x01" "A\0\0\0\0\0" "\x02" "S\0" "\x01" "B\0\0\0\0\0" "\x03\xFF", 19);
const string kData("\x05\0\0\0\x04\x07\0\0\0" "\x03\0\0\0\x01x\0", 16);
const string kValueA("\x01" "A\0\0\0\0\0", 7);

string Bytes(const CBlob& blob) { return string(reinterpret_cast<const char*>(blob.Data()), blob.Length()); }

RegistryBackup Backup(const string& structure, const string& data) {
    RegistryBackup backup;
    EXPECT_TRUE(backup.StructureStream.Append(structure.data(), structure.size()) && backup.DataStream.Append(data.data(), data.size()));
    return backup;
}

// Deletes a pointer value of Identities, or with key set, an identity's whole key.
void Delete(const char* pointer, const char* key = nullptr) {
    RegistryKey identities;
    ASSERT_EQ(platform::RegStatus::Success,
              identities.Open(platform::RegKey::CurrentUser, "Identities", platform::KeyAccess::AllAccess));
    EXPECT_TRUE(!key || identities.DeleteSubtree(key) == platform::RegStatus::Success);
    if (pointer) (void)RegDeleteValueA(identities.Handle(), pointer);
}

TEST_F(IdentityTest, CatalogueListsCompleteIdentitiesInRegistryOrderAndLooksUpExactly) {
    // Left out: no version key, no Store Root, no User ID. Present but empty counts; only
    // the first version key counts.
    const string client = "\\Software\\Microsoft\\Outlook Express";
    for (const auto& [key, version, root, id] : {std::make_tuple("{1}", false, false, true), {"{2}", true, false, true}, {"{3}", true, true, false}}) {
        SetText(IdentityPath(key), "Username", "x");
        if (id) SetText(IdentityPath(key), "User ID", "x");
        CreateKeyPath(IdentityPath(key) + client + (version ? "\\5.0" : ""));
        if (root) SetText(IdentityPath(key) + client + "\\5.0", "Store Root", "x");
    }
    AddIdentity("{0 empty name}", "", "", "");
    SetText(IdentityPath("{0 empty name}") + client + "\\6.0", "Store Root", "x");
    const IdentityCatalogue catalogue = IdentityCatalogue::Read();
    ASSERT_EQ(3u, catalogue.Count());
    const IdentityRecord& empty = catalogue.At(0);
    EXPECT_EQ(std::make_tuple(string("{0 empty name}"), string(), string(), string(), string(World::kOther), string("%UserProfile%/Mail/Store {6A1C}")),
              std::tie(empty.KeyName, empty.Username, empty.UserId, empty.StoreRoot, catalogue.At(1).KeyName, catalogue.At(2).StoreRoot));
    const string lower = "{6a1c2e40-0b7d-4e59-9c1a-3f0d2b7e5a11}";
    EXPECT_EQ(std::make_tuple(-1, lower, string(), string("{0 empty name}"), string("work-user-id"), string("Home")),
              std::make_tuple(catalogue.Find(lower), catalogue.UserIdOf(lower), catalogue.UsernameOf(lower), catalogue.FirstOtherThan(lower),
                              catalogue.UserIdOf(World::kGuard), catalogue.UsernameOf(World::kOther)));
    // The registry cannot hold two equal key names, so this list is made by hand.
    const IdentityCatalogue twice({{"{a}", "A", "a", "C:\\"}, {"{b}", "B", "b", "C:\\"}, {"{a}", "A 2", "a2", "D:\\"}});
    EXPECT_EQ(std::make_pair(2, string("{b}")), std::make_pair(twice.Find("{a}"), twice.FirstOtherThan("{a}")));
}

TEST_F(IdentityTest, RemovalMovesOnlyThePointersAtTheProtectedIdentity) {
    const char* const kPointers[] = {"Default User ID", "Last User ID", "Last Username", "Start As"};
    using Pointers = std::vector<string>;  // in the order of kPointers; "" for missing
    const std::tuple<const char*, bool, bool, Pointers, Pointers> cases[] = {  // what, refuse writes, alone, before, after
        {"at it", false, false, {"work-user-id", "work-user-id", "Work", "work-user-id"}, {"home-user-id", "home-user-id", "Home", "home-user-id"}},
        // "Last Username" is never compared on its own; ids differing in case are others.
        {"elsewhere", false, false, {"x-id", "x-id", "Work", "WORK-USER-ID"}, {"x-id", "x-id", "Work", "WORK-USER-ID"}},
        {"missing", false, false, {"", "", "", ""}, {"", "", "", ""}},
        // A pointer that cannot be moved would name an identity that is gone: the key stays.
        {"full registry", true, false, {"work-user-id", "", "", ""}, {"work-user-id", "", "", ""}},
        // The only identity keeps its pointers; the name comes from the catalogue.
        {"alone", false, true, {"work-user-id", "work-user-id", "Old", "work-user-id"}, {"work-user-id", "work-user-id", "Work", "work-user-id"}},
    };
    for (const auto& [what, refuseWrites, alone, pointersBefore, after] : cases) {
        if (refuseWrites && !World::CanRefuseRegistryValueWrites()) continue;
        SCOPED_TRACE(what);
        ASSERT_TRUE(World::WriteIdentity(World::kGuard, "Work", "work-user-id", "C:\\W"));
        if (alone) Delete(nullptr, World::kOther);
        for (size_t k = 0; k < 4; ++k) {
            Delete(kPointers[k]);
            if (!pointersBefore[k].empty()) SetText("Identities", kPointers[k], pointersBefore[k]);
        }
        if (refuseWrites) world.RefuseRegistryValueWrites(true);
        EXPECT_EQ(!refuseWrites, RemoveIdentityKey(World::kGuard));
        if (refuseWrites) world.RefuseRegistryValueWrites(false);
        EXPECT_EQ(std::make_pair(refuseWrites, !alone), std::make_pair(KeyExists(kGuardPath), KeyExists(IdentityPath(World::kOther))));
        for (size_t k = 0; k < 4; ++k)
            EXPECT_EQ(after[k].empty() ? std::nullopt : std::optional<string>(after[k]), GetText("Identities", kPointers[k])) << kPointers[k];
    }
}

TEST_F(IdentityTest, NothingIsSavedRemovedOrRestoredForANameThatIsNotOneKey) {
    // An empty or composite name would address Identities itself or some other key.
    RegistryBackup backup;
    ASSERT_EQ(KeyWalk::Done, BackupIdentityKey(World::kGuard, backup));
    for (const string& name : {string("{NOT-THERE}"), string(), string(World::kGuard) + "\\Level1"}) {
        RegistryBackup none;
        EXPECT_EQ(KeyWalk::Failed, BackupIdentityKey(name, none)) << name;
        EXPECT_TRUE(none.StructureStream.Length() == 0 && !RemoveIdentityKey(name) && (name == "{NOT-THERE}" || !RestoreIdentityKey(name, backup))) << name;
    }
    EXPECT_EQ(before, world.Now());
}

// The bytes are a file format. Readers also accept what writers never emit (0x04 and
// 0x05), and nesting as deep as a registry allows, but not one level more.
TEST_F(IdentityTest, BackupBytes) {
    TreeKey example, empties;
    example.values = {{"A", platform::RegType::Dword, string("\x07\0\0\0", 4)}};
    example.subkeys["S"].values = {{"B", platform::RegType::Sz, string("x\0", 2)}};
    empties.values = {{"", platform::RegType::Binary, ""},
                      {"E", platform::RegType::Sz, string(1, '\0')}};  // the unnamed value; no data gives n = 1
    for (const auto& [tree, structure, data] : {std::make_tuple(example, kStructure, kData), std::make_tuple(TreeKey(), string("\xFF"), string()),
                                                std::make_tuple(empties, string("\x01\0\0\0\0\0" "\x01" "E\0\0\0\0\0" "\xFF", 14),
                                                                string("\x01\0\0\0\x03" "\x02\0\0\0\x01\0", 11))}) {
        Delete(nullptr, World::kGuard);
        WriteTree(kGuardPath, tree);
        RegistryBackup backup;
        ASSERT_EQ(KeyWalk::Done, BackupIdentityKey(World::kGuard, backup));
        EXPECT_EQ(std::make_pair(structure, data), std::make_pair(Bytes(backup.StructureStream), Bytes(backup.DataStream)));
    }
    EXPECT_TRUE(ValidateRegistryBackup(Backup(string("\x04\x05" "old\0", 6) + kStructure, kData)));
    const size_t depth = RegistryBackupReader::kMaxDepth;
    string deep;
    for (size_t i = 0; i < depth; ++i) deep += string("\x02k\0", 3);
    EXPECT_TRUE(ValidateRegistryBackup(Backup(deep + string(depth, '\x03') + "\xFF", "")));
    BackupDefect defect = BackupDefect::None;
    EXPECT_FALSE(ValidateRegistryBackup(Backup(deep + string("\x02k\0\x03", 4) + string(depth, '\x03') + "\xFF", ""), &defect));
    EXPECT_EQ(BackupDefect::TooDeep, defect);
}

// The world's key holds every value type, a value past 64 KiB and keys several levels
// deep; added here: the longest names a registry allows and an empty leaf.
TEST_F(IdentityTest, RestoreBringsBackEveryByteAndThePointersOfBackupTime) {
    SetValue(kGuardPath, string(5000, 'L'), platform::RegType::Dword, string("\1\0\0\0", 4));
    SetValue(kGuardPath + "\\" + string(255, 'k'), "Q", platform::RegType::Qword, string("\1\2\3\4\5\6\7\x08", 8));
    CreateKeyPath(kGuardPath + "\\Level1\\Empty Leaf");
    SetText("Identities", "Last User ID", "home-user-id");
    Delete("Start As");
    TreeKey tree, identities, after;
    ASSERT_TRUE(ReadTree(kGuardPath, tree) && ReadTree("Identities", identities));
    RegistryBackup backup;
    ASSERT_TRUE(BackupIdentityKey(World::kGuard, backup) == KeyWalk::Done && ValidateRegistryBackup(backup));
    EXPECT_EQ(KeyInPlace::PartOfBackup, CompareIdentityKeyWithBackup(World::kGuard, backup));
    // A half-done earlier restore: a value changed, one extra, which is kept.
    SetText(kGuardPath, "Username", "Changed");
    SetText(kGuardPath, "Extra", "kept");
    EXPECT_EQ(KeyInPlace::Differs, CompareIdentityKeyWithBackup(World::kGuard, backup));
    ASSERT_TRUE(RestoreIdentityKey(World::kGuard, backup) && ReadTree(kGuardPath, after));
    // The extra value stays, last in creation order (Wine lists values sorted by name).
    const auto extra = std::find_if(after.values.begin(), after.values.end(), [](const auto& v) { return v.name == "Extra"; });
    ASSERT_NE(extra, after.values.end());
    if (!platform::RunsUnderWine()) {
        EXPECT_EQ(extra, after.values.end() - 1);
    }
    after.values.erase(extra);
    EXPECT_EQ(tree, after);

    ASSERT_TRUE(RemoveIdentityKey(World::kGuard));
    EXPECT_EQ(KeyInPlace::Missing, CompareIdentityKeyWithBackup(World::kGuard, backup));
    SetText("Identities", "Last User ID", "changed while hidden");
    ASSERT_TRUE(RestoreIdentityKey(World::kGuard, backup) && ReadTree(kGuardPath, after));
    EXPECT_EQ(tree, after);
    // "Start As" was missing at backup time and comes back as an empty text value.
    identities.values.push_back({"Start As", platform::RegType::Sz, string(1, '\0')});
    ASSERT_TRUE(ReadTree("Identities", after));
    EXPECT_EQ(identities, after);
}


TEST_F(IdentityTest, MalformedBackupsAreRefusedBeforeAnythingIsWritten) {
    using D = BackupDefect;
    const std::tuple<const char*, string, string, D> cases[] = {
        {"empty structure", "", "", D::MissingEnd}, {"no end tag", kStructure.substr(0, 18), kData, D::MissingEnd},
        {"cut in a name", kStructure.substr(0, 12), kData, D::UnterminatedName}, {"cut in reserved bytes", kStructure.substr(0, 5), kData, D::TruncatedValueItem},
        {"subkey name unterminated", string("\x02" "S", 2), "", D::UnterminatedName}, {"skipped name unterminated", string("\x05" "abc", 4), "", D::UnterminatedName},
        {"data cut in a record", kStructure, kData.substr(0, 15), D::MissingRecord}, {"data cut in a length", kStructure, kData.substr(0, 11), D::MissingRecord},
        {"no data", kStructure, "", D::MissingRecord}, {"length past the data", kValueA + "\xFF", string("\xFF\xFF\xFF\xFF\x03" "abc", 8), D::MissingRecord},
        {"length zero", kValueA + "\xFF", string("\0\0\0\0\x03", 5), D::BadRecordLength}, {"lone key end", string("\x03\xFF", 2), "", D::UnbalancedKeyEnd},
        {"key end too many", string("\x02" "S\0\x03\x03\xFF", 6), "", D::UnbalancedKeyEnd}, {"subkey left open", string("\x02" "S\0\xFF", 4), "", D::UnclosedKey},
        {"tag 0x00", string("\x00\xFF", 2), "", D::UnknownTag}, {"tag 0x06", string("\x06\xFF", 2), "", D::UnknownTag},
        {"tag 0xFE after a value", kValueA + "\xFE\xFF", string("\x01\0\0\0\x03", 5), D::UnknownTag}, {"empty subkey name", string("\x02\0\x03\xFF", 4), "", D::BadKeyName},
        // No registry holds a key name this long, so no hide can have saved one.
        {"subkey name of 256", "\x02" + string(256, 'k') + string("\0\x03\xFF", 3), "", D::BadKeyName},
        {"subkey name that is a path", string("\x02" "..\\..\\Software\0\x03\xFF", 17), "", D::BadKeyName},
        {"bytes after the end", kStructure + "\x01", kData, D::TrailingBytes}, {"data no value uses", kStructure, kData + string("\x01\0\0\0\x03", 5), D::TrailingBytes}};
    Delete(nullptr, World::kGuard);
    const WorldState without = world.Now();
    for (const auto& [what, structure, data, expected] : cases) {
        D defect = D::None;
        EXPECT_FALSE(ValidateRegistryBackup(Backup(structure, data), &defect)) << what;
        EXPECT_EQ(expected, defect) << what;
        EXPECT_FALSE(RestoreIdentityKey(World::kGuard, Backup(structure, data))) << what;
        EXPECT_EQ(without, world.Now()) << what;
    }
}

}  // namespace
