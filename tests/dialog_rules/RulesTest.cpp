// The rules behind the password and setup dialogs, without their windows.
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/SetupRules.h"
#include "identities/IdentityCatalogue.h"
#include "password/PasswordAttempts.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "support/World.h"

namespace {

using Check = PasswordChangeCheck;

class RulesTest : public WorldTest {
protected:
    static constexpr const char* kAlice = "{A11CE000-0000-0000-0000-000000000001}";
    static constexpr const char* kBob = "{B0B00000-0000-0000-0000-000000000002}";
    static constexpr const char* kCarol = "{CA201000-0000-0000-0000-000000000003}";
    RulesTest() : WorldTest(WorldSetup::Bare()) {}
    // Three listed identities, two of them with the same name, and one the mail client
    // never opened (no store folder), which is not listed.
    void AddIdentities() {
        world.AddIdentity(kCarol, "Bob");
        world.AddIdentity(kAlice, "Alice");
        world.AddIdentity(kBob, "Bob");
        CreateKeyPath(IdentityPath("{00000000-0000-0000-0000-0000000000FF}"));
        SetText(IdentityPath("{00000000-0000-0000-0000-0000000000FF}"), "Username", "Never opened");
        catalogue_ = IdentityCatalogue::Read();
    }
    IdentityCatalogue catalogue_;
    int offers_ = 0;
    std::function<void()> offer_ = [this] { ++offers_; };
};

TEST_F(RulesTest, PasswordChangeChecksTheOldPasswordFirst) {
    struct Case {
        const char* inForce;
        const char *old, *fresh, *confirmation;
        Check expected;
    };
    const Case cases[] = {
        {"old", "Old", "new", "other", Check::OldPasswordRejected},  // only the old one is reported
        {"old", "", "", "", Check::OldPasswordRejected},
        {"old", "old", "new", "New", Check::ConfirmationDiffers},
        {"old", "old", "new", "", Check::ConfirmationDiffers},
        {"old", "old", "", "", Check::TurnsPasswordOff},
        {"old", "old", "new", "new", Check::Ready},
        {"", "", "first", "first", Check::Ready},  // without a password the old one is empty
        {"", "anything", "first", "first", Check::OldPasswordRejected},
    };
    for (const Case& c : cases) {
        world.SetPassword(c.inForce);
        EXPECT_EQ(CheckPasswordChange(c.old, c.fresh, c.confirmation), c.expected) << c.old << "/" << c.fresh;
        EXPECT_EQ(GetCurrentPassword(), c.inForce);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RulesTest, ThreeWrongEntriesUseUpTheTries) {
    world.SetPassword("right");
    PasswordAttempts attempts;
    EXPECT_EQ(attempts.Submit("wrong"), PasswordAttempts::Outcome::Rejected);
    EXPECT_EQ(attempts.Submit("Right"), PasswordAttempts::Outcome::Rejected);
    EXPECT_EQ(attempts.Submit(""), PasswordAttempts::Outcome::OutOfTries);
    EXPECT_EQ(attempts.Rejections(), 3);
}

TEST_F(RulesTest, SetupLinesFollowTheCatalogueAndTheProtectedOneIsFoundByExactKeyName) {
    AddIdentities();
    ASSERT_TRUE(SetGuardId(kCarol));
    const std::vector<std::string> lines = IdentityLines(catalogue_);
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(lines.size(), catalogue_.Count());
    for (size_t n = 0; n < lines.size(); ++n) EXPECT_EQ(lines[n], catalogue_.At(n).Username);
    EXPECT_EQ(ProtectedIdentityLine(catalogue_), catalogue_.Find(kCarol));
    std::string lower = kCarol;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& other : {lower, std::string("{DEADBEEF-0000-0000-0000-000000000000}")}) {
        ASSERT_TRUE(SetGuardId(other));
        EXPECT_EQ(ProtectedIdentityLine(catalogue_), -1) << other;
    }
}

TEST_F(RulesTest, SetupSavesTheLineByPositionAndOnlyASelection) {
    AddIdentities();
    for (int line : {-1, 3, 100}) {
        ui.QueueAnswer(IDOK);
        EXPECT_FALSE(ConfirmSetup(ui, catalogue_, line, SecurityLow, offer_)) << line;
        EXPECT_EQ(ui.messages.back().text, "Please select an identity to protect.");
        EXPECT_EQ(ui.messages.back().style & MB_TYPEMASK, MB_OK);
    }
    EXPECT_FALSE(KeyExists(GetSettingsKeyPath()));
    ui.messages.clear();

    // With a password: no question. Two lines read "Bob"; the position decides.
    world.SetPassword("secret");
    const int secondBob = catalogue_.Find(kBob) == 1 ? 2 : 1;
    const std::string expected = catalogue_.At(secondBob).KeyName;
    ASSERT_EQ(catalogue_.At(secondBob).Username, "Bob");
    EXPECT_TRUE(ConfirmSetup(ui, catalogue_, secondBob, SecurityMedium, offer_));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(GetGuardId(), expected);
    EXPECT_EQ(GetSecurityLevel(), SecurityMedium);

    // Without one the user is warned once, and the choice is saved whatever the answer.
    world.SetPassword("");
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        ui.messages.clear();
        offers_ = 0;
        ASSERT_TRUE(SetGuardId(""));
        ui.QueueAnswer(answer);
        EXPECT_TRUE(ConfirmSetup(ui, catalogue_, 1, SecurityLow, offer_));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  "No password currently set. We highly recommend to set a non-empty password, otherwise "
                  "anyone may restore your hidden identity using this program! Would you like to set a "
                  "password now?");
        EXPECT_EQ(ui.messages[0].style & MB_TYPEMASK, MB_YESNO);
        EXPECT_EQ(offers_, answer == IDYES ? 1 : 0);
        EXPECT_EQ(GetGuardId(), catalogue_.At(1).KeyName);
        EXPECT_EQ(GetSecurityLevel(), SecurityLow);
    }
}

}  // namespace
