// Removal redirects the client's pointer values away from the hidden identity.
#include <string>

#include "IdentityFixture.h"

namespace {

using std::string;

class RemoveIdentityKeyTest : public IdentityFixture {
protected:
    void SetPointers(const string& userId, const string& username) {
        SetText("Identities", "Default User ID", userId);
        SetText("Identities", "Last User ID", userId);
        SetText("Identities", "Last Username", username);
        SetText("Identities", "Start As", userId);
    }
    // The visible text of a pointer value; "<missing>" when it does not exist.
    static string Pointer(const string& name) { return GetText("Identities", name).value_or("<missing>"); }
};

TEST_F(RemoveIdentityKeyTest, PointersAtTheProtectedIdentityMoveToTheOther) {
    SetPointers("alice-id", "Alice");
    ASSERT_TRUE(RemoveIdentityKey());
    EXPECT_EQ("bob-id", Pointer("Default User ID"));
    EXPECT_EQ("bob-id", Pointer("Last User ID"));
    EXPECT_EQ("Bob", Pointer("Last Username"));
    EXPECT_EQ("bob-id", Pointer("Start As"));
    EXPECT_FALSE(KeyExists(AlicePath()));
    EXPECT_TRUE(KeyExists(IdentityPath(kBob)));
}

TEST_F(RemoveIdentityKeyTest, PointersElsewhereOrMissingAreLeftAlone) {
    AddIdentity("{C}", "Carol", "carol-id", "C:\\Carol");
    LoadIdentities();
    SetText("Identities", "Default User ID", "carol-id");
    SetText("Identities", "Last User ID", "carol-id");
    // "Last Username" is never compared on its own, even when it names the identity.
    SetText("Identities", "Last Username", "Alice");
    // Differs only in case: not the protected identity.
    SetText("Identities", "Start As", "ALICE-ID");
    ASSERT_TRUE(RemoveIdentityKey());
    EXPECT_EQ("carol-id", Pointer("Default User ID"));
    EXPECT_EQ("carol-id", Pointer("Last User ID"));
    EXPECT_EQ("Alice", Pointer("Last Username"));
    EXPECT_EQ("ALICE-ID", Pointer("Start As"));

    RegistryKey identities;
    ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
    for (const char* name : {"Default User ID", "Last User ID", "Last Username", "Start As"})
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(identities.Handle(), name));
    SetGuardId(kBob);
    ASSERT_TRUE(RemoveIdentityKey());
    for (const char* name : {"Default User ID", "Last User ID", "Last Username", "Start As"})
        EXPECT_EQ("<missing>", Pointer(name)) << name;
}

TEST_F(RemoveIdentityKeyTest, TheOnlyIdentityKeepsItsOwnPointers) {
    RegistryKey identities;
    ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(kBob));
    LoadIdentities();
    SetPointers("alice-id", "Alice (old name)");
    ASSERT_TRUE(RemoveIdentityKey());
    EXPECT_EQ("alice-id", Pointer("Default User ID"));
    EXPECT_EQ("alice-id", Pointer("Start As"));
    // Rewritten from the catalogue, which is the one place the name is known.
    EXPECT_EQ("Alice", Pointer("Last Username"));
    EXPECT_FALSE(KeyExists(AlicePath()));
}

TEST_F(RemoveIdentityKeyTest, FailsWhenThereIsNothingToDelete) {
    SetGuardId("{NOT-THERE}");
    EXPECT_FALSE(RemoveIdentityKey());
    // An empty guardid would otherwise make Identities itself the key to delete.
    SetGuardId("");
    EXPECT_FALSE(RemoveIdentityKey());
    EXPECT_TRUE(KeyExists(AlicePath()));
    EXPECT_TRUE(KeyExists(IdentityPath(kBob)));
}

}  // namespace
