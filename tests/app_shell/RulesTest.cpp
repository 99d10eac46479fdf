// The rules behind the password and setup dialogs, where the dialogs' own tests
// (tests/ui_dialogs) do not reach them: no password in force, and a setup saved
// without one.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "app/SetupRules.h"
#include "identities/IdentityCatalogue.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "support/World.h"

namespace {

constexpr const char* kAlice = "{A11CE000-0000-0000-0000-000000000001}";
constexpr const char* kBob = "{B0B00000-0000-0000-0000-000000000002}";

class RulesTest : public WorldTest {
protected:
    RulesTest() : WorldTest(WorldSetup::Bare()) {}
};

TEST_F(RulesTest, WithoutAPasswordTheOldOneIsEmpty) {
    EXPECT_EQ(CheckPasswordChange("", "first", "first"), PasswordChangeCheck::Ready);
    EXPECT_EQ(CheckPasswordChange("anything", "first", "first"), PasswordChangeCheck::OldPasswordRejected);
    EXPECT_EQ(GetCurrentPassword(), "");
}

// The protected identity's line is found by its exact key name; a setup saved without a
// password warns once and saves the choice whatever the answer.
TEST_F(RulesTest, SetupWithoutAPasswordWarnsOnceAndSavesTheChoice) {
    world.AddIdentity(kAlice, "Alice");
    world.AddIdentity(kBob, "Bob");
    const IdentityCatalogue catalogue = IdentityCatalogue::Read();
    std::string lower = kBob;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(SetGuardId(lower));
    EXPECT_EQ(ProtectedIdentityLine(catalogue), -1);

    for (int answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        SCOPED_TRACE(answer);
        int offers = 0;
        ui.messages.clear();
        ASSERT_TRUE(SetGuardId(""));
        ui.QueueAnswer(answer);
        EXPECT_TRUE(ConfirmSetup(ui, catalogue, 1, SecurityLow, [&] { ++offers; }));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  "No password currently set. We highly recommend to set a non-empty password, otherwise "
                  "anyone may restore your hidden identity using this program! Would you like to set a "
                  "password now?");
        EXPECT_EQ(ui.messages[0].style & MessageStyle::TypeMask, MessageStyle::YesNo);
        EXPECT_EQ(offers, answer == MessageAnswer::Yes ? 1 : 0);
        EXPECT_EQ(GetGuardId(), catalogue.At(1).KeyName);
        EXPECT_EQ(GetSecurityLevel(), SecurityLow);
        EXPECT_EQ(ProtectedIdentityLine(catalogue), 1);
    }
    // A choice the registry refuses is said to be lost, and the dialog stays open.
    world.RefuseRegistryValueWrites(true);
    ui.QueueAnswer(MessageAnswer::No);
    ui.QueueAnswer(MessageAnswer::Ok);
    EXPECT_FALSE(ConfirmSetup(ui, catalogue, 0, SecurityMedium, [] {}));
    EXPECT_EQ(ui.messages.back().text, kSetupNotSavedText);
    world.RefuseRegistryValueWrites(false);
    EXPECT_EQ(GetGuardId(), catalogue.At(1).KeyName);
}

}  // namespace
