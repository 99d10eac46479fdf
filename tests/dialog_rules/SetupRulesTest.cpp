#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DialogWorld.h"
#include "RegistryTree.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "app/SetupRules.h"
#include "support/ScriptedUserInterface.h"

namespace {

class SetupRulesTest : public DialogWorld {
protected:
    // Three listed identities, two of them with the same name, and one the mail client
    // never opened (no store folder), which is not listed.
    void AddIdentities() {
        AddIdentity(kCarol, "Bob");
        AddIdentity(kAlice, "Alice");
        AddIdentity(kBob, "Bob");
        CreateKeyPath(IdentityPath("{00000000-0000-0000-0000-0000000000FF}"));
        SetText(IdentityPath("{00000000-0000-0000-0000-0000000000FF}"), "Username", "Never opened");
    }

    bool SettingsWritten() const { return KeyExists(GetSettingsKeyPath()); }

    ScriptedUserInterface ui_;
    int offers_ = 0;
    std::function<void()> offer_ = [this] { ++offers_; };
};

TEST_F(SetupRulesTest, LinesFollowTheCatalogueAndTheProtectedIdentityIsFoundByKeyName) {
    AddIdentities();
    SetGuardId(kCarol);
    const std::vector<std::string> lines = LoadIdentityLines();
    ASSERT_EQ(lines.size(), GetIdentityCount());
    ASSERT_EQ(lines.size(), 3u);
    for (size_t n = 0; n < lines.size(); ++n) EXPECT_EQ(lines[n], GetIdentity(n).Username);
    EXPECT_EQ(ProtectedIdentityLine(), FindIdentity(kCarol));
    EXPECT_EQ(GetIdentity(ProtectedIdentityLine()).KeyName, kCarol);

    // A key name that differs in letter case, or one that is gone, selects nothing.
    std::string lower = kCarol;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    SetGuardId(lower);
    EXPECT_EQ(ProtectedIdentityLine(), -1);
    SetGuardId("{DEADBEEF-0000-0000-0000-000000000000}");
    EXPECT_EQ(ProtectedIdentityLine(), -1);
}

TEST_F(SetupRulesTest, WithoutASelectionNothingIsSaved) {
    AddIdentities();
    LoadIdentityLines();
    for (int line : {-1, 3, 100}) {
        ui_.QueueAnswer(IDOK);
        EXPECT_FALSE(ConfirmSetup(line, SecurityLow, offer_)) << line;
    }
    ASSERT_EQ(ui_.messages.size(), 3u);
    for (const auto& message : ui_.messages) {
        EXPECT_EQ(message.text, "Please select an identity to protect.");
        EXPECT_EQ(message.style & MB_TYPEMASK, MB_OK);
    }
    EXPECT_FALSE(SettingsWritten());
    EXPECT_EQ(offers_, 0);
}

TEST_F(SetupRulesTest, WithAPasswordSetTheChoiceIsSavedByPosition) {
    AddIdentities();
    UsePassword("secret");
    LoadIdentityLines();
    // Two lines read "Bob"; the position decides which identity is protected.
    const int secondBob = FindIdentity(kBob) == 1 ? 2 : 1;
    const std::string expected = GetIdentity(secondBob).KeyName;
    ASSERT_EQ(GetIdentity(secondBob).Username, "Bob");
    EXPECT_TRUE(ConfirmSetup(secondBob, SecurityMedium, offer_));
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(GetGuardId(), expected);
    EXPECT_EQ(GetSecurityLevel(), SecurityMedium);
}

TEST_F(SetupRulesTest, WithoutAPasswordTheUserIsWarnedOnceAndTheChoiceIsSavedWhateverTheAnswer) {
    AddIdentities();
    LoadIdentityLines();
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        ui_.messages.clear();
        offers_ = 0;
        SetGuardId("");
        ui_.QueueAnswer(answer);
        EXPECT_TRUE(ConfirmSetup(1, SecurityLow, offer_));
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0].text,
                  "No password currently set. We highly recommend to set a non-empty password, otherwise "
                  "anyone may restore your hidden identity using this program! Would you like to set a "
                  "password now?");
        EXPECT_EQ(ui_.messages[0].style & MB_TYPEMASK, MB_YESNO);
        EXPECT_EQ(offers_, answer == IDYES ? 1 : 0);
        EXPECT_EQ(GetGuardId(), GetIdentity(1).KeyName);
        EXPECT_EQ(GetSecurityLevel(), SecurityLow);
    }
}

}  // namespace
