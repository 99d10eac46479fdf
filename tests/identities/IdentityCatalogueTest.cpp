// Which identities the catalogue lists, and how they are looked up.
#include <string>

#include "IdentityFixture.h"

namespace {

using std::string;

class IdentityCatalogueTest : public IdentityFixture {};

TEST_F(IdentityCatalogueTest, ListsCompleteIdentitiesInRegistryOrder) {
    // Identities the client could not show are left out.
    CreateKeyPath(IdentityPath("{1 no version key}") + "\\Software\\Microsoft\\Outlook Express");
    SetText(IdentityPath("{1 no version key}"), "Username", "x");
    SetText(IdentityPath("{1 no version key}"), "User ID", "x");
    AddIdentity("{2 no store root}", "y", "y", "");
    {
        RegistryKey version;
        ASSERT_EQ(ERROR_SUCCESS, version.Open(HKEY_CURRENT_USER,
                                             IdentityPath("{2 no store root}") +
                                                 "\\Software\\Microsoft\\Outlook Express\\5.0",
                                             KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(version.Handle(), "Store Root"));
    }
    AddIdentity("{3 no user id}", "z", "z", "C:\\z");
    {
        RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  key.Open(HKEY_CURRENT_USER, IdentityPath("{3 no user id}"), KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key.Handle(), "User ID"));
    }
    // Present but empty counts as present.
    AddIdentity("{0 empty name}", "", "empty-id", "");
    // Only the first version key is consulted.
    SetText(IdentityPath("{0 empty name}") + "\\Software\\Microsoft\\Outlook Express\\6.0",
            "Store Root", "ignored");

    LoadIdentities();
    ASSERT_EQ(3u, GetIdentityCount());
    EXPECT_EQ("{0 empty name}", GetIdentity(0).KeyName);
    EXPECT_EQ("", GetIdentity(0).Username);
    EXPECT_EQ("empty-id", GetIdentity(0).UserId);
    EXPECT_EQ("", GetIdentity(0).StoreRoot);
    EXPECT_EQ(kAlice, GetIdentity(1).KeyName);
    EXPECT_EQ("%UserProfile%\\Alice", GetIdentity(1).StoreRoot);
    EXPECT_EQ(kBob, GetIdentity(2).KeyName);
    EXPECT_EQ("Bob", GetIdentity(2).Username);
    EXPECT_EQ("bob-id", GetIdentity(2).UserId);
}

TEST_F(IdentityCatalogueTest, LoadReplacesAndNoIdentitiesKeyMeansEmpty) {
    ASSERT_EQ(2u, GetIdentityCount());
    RegistryKey identities;
    ASSERT_EQ(ERROR_SUCCESS, identities.Open(HKEY_CURRENT_USER, "Identities", KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(kAlice));
    ASSERT_EQ(ERROR_SUCCESS, identities.DeleteSubtree(kBob));
    ASSERT_EQ(ERROR_SUCCESS, identities.Close());
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, "Identities"));
    LoadIdentities();
    EXPECT_EQ(0u, GetIdentityCount());
    EXPECT_EQ(kAlice, GetOtherIdentity());
    EXPECT_EQ(-1, FindIdentity(kAlice));
}

TEST_F(IdentityCatalogueTest, LookupsAreExactAndFallBack) {
    EXPECT_EQ(0, FindIdentity(kAlice));
    EXPECT_EQ(1, FindIdentity(kBob));
    const string upper = "{a11ce000-0000-0000-0000-000000000001}";
    EXPECT_EQ(-1, FindIdentity(upper));
    EXPECT_EQ(upper, GetIdentityUserId(upper));
    EXPECT_EQ("", GetIdentityUsername(upper));
    EXPECT_EQ("alice-id", GetIdentityUserId(kAlice));
    EXPECT_EQ("Bob", GetIdentityUsername(kBob));

    EXPECT_EQ(kBob, GetOtherIdentity());
    SetGuardId(kBob);
    EXPECT_EQ(kAlice, GetOtherIdentity());
    SetGuardId(upper);
    EXPECT_EQ(kAlice, GetOtherIdentity());
}

TEST_F(IdentityCatalogueTest, FindPrefersTheLaterOfTwoEqualKeyNames) {
    // The registry cannot hold two equal key names, so the list is made by hand.
    const IdentityCatalogue catalogue({{kAlice, "Alice", "alice-id", "C:\\"},
                                       {kBob, "Bob", "bob-id", "C:\\"},
                                       {kAlice, "Alice 2", "alice-2", "D:\\"}});
    EXPECT_EQ(2, catalogue.Find(kAlice));
    EXPECT_EQ(1, catalogue.Find(kBob));
    EXPECT_EQ(kBob, catalogue.FirstOtherThan(kAlice));
}

}  // namespace
