#include <string>

#include <gtest/gtest.h>

#include "DialogWorld.h"
#include "password/PasswordAttempts.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "support/ScriptedUserInterface.h"

namespace {

using Check = PasswordChangeCheck;

class PasswordRulesTest : public DialogWorld {
protected:
    ScriptedUserInterface ui_;
};

TEST_F(PasswordRulesTest, TheOldPasswordIsCheckedBeforeAnythingElse) {
    UsePassword("old");
    // Wrong old password and mismatched new ones: only the old password is reported.
    EXPECT_EQ(CheckPasswordChange("Old", "new", "other"), Check::OldPasswordRejected);
    EXPECT_EQ(CheckPasswordChange("", "", ""), Check::OldPasswordRejected);
    EXPECT_EQ(GetCurrentPassword(), "old");

    EXPECT_EQ(CheckPasswordChange("old", "new", "New"), Check::ConfirmationDiffers);
    EXPECT_EQ(CheckPasswordChange("old", "new", ""), Check::ConfirmationDiffers);
    EXPECT_EQ(CheckPasswordChange("old", "", ""), Check::TurnsPasswordOff);
    EXPECT_EQ(CheckPasswordChange("old", "new", "new"), Check::Ready);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PasswordRulesTest, WithoutAPasswordTheOldOneIsEmpty) {
    EXPECT_EQ(CheckPasswordChange("", "first", "first"), Check::Ready);
    EXPECT_EQ(CheckPasswordChange("anything", "first", "first"), Check::OldPasswordRejected);
}

TEST_F(PasswordRulesTest, ThreeWrongEntriesUseUpTheTries) {
    UsePassword("right");
    PasswordAttempts attempts;
    EXPECT_EQ(attempts.Submit("wrong"), PasswordAttempts::Outcome::Rejected);
    EXPECT_EQ(attempts.Submit("Right"), PasswordAttempts::Outcome::Rejected);
    EXPECT_EQ(attempts.Submit(""), PasswordAttempts::Outcome::OutOfTries);
    EXPECT_EQ(attempts.Rejections(), 3);
}

}  // namespace
