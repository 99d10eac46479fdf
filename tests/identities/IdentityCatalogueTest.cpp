// Which identities the catalogue lists, and what removing the protected one does to the
// client's pointer values.
#include <string>

#include "IdentityFixture.h"

namespace {

using std::string;
using IdentityCatalogueTest = IdentityFixture;

TEST_F(IdentityCatalogueTest, ListsCompleteIdentitiesInRegistryOrder) {
    // Identities the client could not show are left out: no version key, no Store Root,
    // no User ID. Present but empty counts as present; only the first version key counts.
    const string version = "\\Software\\Microsoft\\Outlook Express\\5.0";
    CreateKeyPath(IdentityPath("{1 no version key}") + "\\Software\\Microsoft\\Outlook Express");
    SetText(IdentityPath("{1 no version key}"), "Username", "x");
    SetText(IdentityPath("{1 no version key}"), "User ID", "x");
    SetText(IdentityPath("{2 no store root}"), "Username", "y");
    SetText(IdentityPath("{2 no store root}"), "User ID", "y");
    CreateKeyPath(IdentityPath("{2 no store root}") + version);
    SetText(IdentityPath("{3 no user id}"), "Username", "z");
    SetText(IdentityPath("{3 no user id}") + version, "Store Root", "C:\\z");
    AddIdentity("{0 empty name}", "", "empty-id", "");
    SetText(IdentityPath("{0 empty name}") + "\\Software\\Microsoft\\Outlook Express\\6.0", "Store Root", "x");

    IdentityCatalogue catalogue = IdentityCatalogue::Read();
    ASSERT_EQ(3u, catalogue.Count());
    const IdentityRecord& empty = catalogue.At(0);
    EXPECT_EQ(std::make_tuple(string("{0 empty name}"), string(), string("empty-id"), string()),
              std::tie(empty.KeyName, empty.Username, empty.UserId, empty.StoreRoot));
    EXPECT_EQ(kAlice, catalogue.At(1).KeyName);
    EXPECT_EQ("%UserProfile%\\Alice", catalogue.At(1).StoreRoot);
    EXPECT_EQ("bob-id", catalogue.At(2).UserId);

    // A reload replaces the list; without an Identities key it is empty.
    DeleteKey("Identities");
    catalogue = IdentityCatalogue::Read();
    EXPECT_EQ(0u, catalogue.Count());
    EXPECT_EQ(kAlice, catalogue.FirstOtherThan(kAlice));
}

TEST_F(IdentityCatalogueTest, LookupsAreExactAndFallBack) {
    const IdentityCatalogue read = IdentityCatalogue::Read();
    EXPECT_EQ(1, read.Find(kBob));
    const string upper = "{a11ce000-0000-0000-0000-000000000001}";
    EXPECT_EQ(-1, read.Find(upper));
    EXPECT_EQ(upper, read.UserIdOf(upper));
    EXPECT_EQ("", read.UsernameOf(upper));
    EXPECT_EQ("alice-id", read.UserIdOf(kAlice));
    EXPECT_EQ("Bob", read.UsernameOf(kBob));
    EXPECT_EQ(kBob, read.FirstOtherThan(kAlice));
    EXPECT_EQ(kAlice, read.FirstOtherThan(kBob));
    EXPECT_EQ(kAlice, read.FirstOtherThan(upper));

    // The registry cannot hold two equal key names, so this list is made by hand.
    const IdentityCatalogue catalogue(
        {{kAlice, "Alice", "a", "C:\\"}, {kBob, "Bob", "b", "C:\\"}, {kAlice, "Alice 2", "a2", "D:\\"}});
    EXPECT_EQ(2, catalogue.Find(kAlice));
    EXPECT_EQ(kBob, catalogue.FirstOtherThan(kAlice));
}

TEST_F(IdentityCatalogueTest, RemovalMovesOnlyThePointersAtTheProtectedIdentity) {
    const char* const kPointers[] = {"Default User ID", "Last User ID", "Last Username", "Start As"};
    struct Case {
        const char* what;
        bool onlyAlice;
        std::vector<string> before, after;  // in the order of kPointers; "" for missing
    } cases[] = {
        {"at Alice", false, {"alice-id", "alice-id", "Alice", "alice-id"}, {"bob-id", "bob-id", "Bob", "bob-id"}},
        // "Last Username" is never compared on its own; ids differing in case are others.
        {"elsewhere", false, {"carol-id", "carol-id", "Alice", "ALICE-ID"}, {"carol-id", "carol-id", "Alice", "ALICE-ID"}},
        {"missing", false, {"", "", "", ""}, {"", "", "", ""}},
        // The only identity keeps its pointers; the name comes from the catalogue.
        {"only identity", true, {"alice-id", "alice-id", "Old", "alice-id"}, {"alice-id", "alice-id", "Alice", "alice-id"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegistryKey identities;
        ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
        AddIdentity(kAlice, "Alice", "alice-id", "C:\\A");
        if (c.onlyAlice) {
            ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(kBob));
        }
        for (size_t k = 0; k < 4; ++k) {
            RegDeleteValueA(identities.Handle(), kPointers[k]);
            if (!c.before[k].empty()) SetText("Identities", kPointers[k], c.before[k]);
        }
        ASSERT_TRUE(RemoveIdentityKey(kAlice));
        EXPECT_FALSE(KeyExists(AlicePath()));
        EXPECT_NE(c.onlyAlice, KeyExists(IdentityPath(kBob)));
        for (size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(c.after[k].empty() ? "<missing>" : c.after[k], Pointer(kPointers[k])) << kPointers[k];
        }
    }
}

TEST_F(IdentityCatalogueTest, NothingIsDeletedOrSavedForAGuardIdThatIsNotOneKey) {
    // An empty or composite guardid would name Identities itself or some other key.
    for (const string& guard : {string("{NOT-THERE}"), string(), string(kAlice) + "\\Software"}) {
        RegistryBackup backup;
        EXPECT_EQ(KeyWalk::Failed, BackupIdentityKey(guard, backup)) << guard;
        EXPECT_EQ(0u, backup.StructureStream.Length());
        EXPECT_FALSE(RemoveIdentityKey(guard)) << guard;
        EXPECT_TRUE(KeyExists(AlicePath() + "\\Software"));
        EXPECT_TRUE(KeyExists(IdentityPath(kBob)));
    }
}

}  // namespace
