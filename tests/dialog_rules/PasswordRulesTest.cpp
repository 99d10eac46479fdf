#include <string>

#include <gtest/gtest.h>

#include "DialogWorld.h"
#include "password/PasswordAttempts.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "platform/File.h"
#include "support/ScriptedUserInterface.h"

namespace {

using Check = PasswordChangeCheck;

class PasswordRulesTest : public DialogWorld {
protected:
    ScriptedUserInterface ui_;
};

TEST_F(PasswordRulesTest, APasswordIsSetUntilTheEmptyOneIsInForce) {
    EXPECT_FALSE(IsPasswordSet());  // the built-in record of a first run
    UsePassword("secret");
    EXPECT_TRUE(IsPasswordSet());
    UsePassword("");
    EXPECT_FALSE(IsPasswordSet());
}

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

TEST_F(PasswordRulesTest, ASavedPasswordIsInForceNowAndNextTime) {
    UsePassword("old");
    EXPECT_TRUE(SaveNewPassword("new"));
    EXPECT_EQ(GetCurrentPassword(), "new");
    EXPECT_TRUE(VerifyPassword("new"));
    EXPECT_FALSE(VerifyPassword("old"));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PasswordRulesTest, AnUnwritablePasswordFileIsReportedAndChangesNothing) {
    UsePassword("old");
    const std::string before = AuthRecordBytes();
    ASSERT_TRUE(platform::SetFileAttributes(AuthPath(), platform::AttributeReadOnly));
    ui_.QueueAnswer(IDOK);

    EXPECT_FALSE(SaveNewPassword("new"));

    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_NE(ui_.messages[0].text.find("auth.dat"), std::string::npos);
    EXPECT_NE(ui_.messages[0].text.find("old password is still in force"), std::string::npos);
    EXPECT_EQ(GetCurrentPassword(), "old");
    EXPECT_EQ(AuthRecordBytes(), before);
    EXPECT_TRUE(VerifyPassword("old"));
    EXPECT_FALSE(VerifyPassword("new"));
    platform::SetFileAttributes(AuthPath(), 0);
}

TEST_F(PasswordRulesTest, ThreeWrongEntriesUseUpTheTries) {
    UsePassword("right");
    PasswordAttempts attempts;
    EXPECT_EQ(attempts.Submit("wrong"), PasswordAttempts::Outcome::Rejected);
    EXPECT_EQ(attempts.Submit("Right"), PasswordAttempts::Outcome::Rejected);
    EXPECT_EQ(attempts.Submit(""), PasswordAttempts::Outcome::OutOfTries);
    EXPECT_EQ(attempts.Rejections(), 3);
}

TEST_F(PasswordRulesTest, TheRightPasswordAfterTwoWrongOnesIsAccepted) {
    // "right" is the password on disk, while this run still holds another one.
    UsePassword("right");
    const std::string rightRecord = AuthRecordBytes();
    UsePassword("before");
    WriteWholeFile(AuthPath(), rightRecord);
    PasswordAttempts attempts;
    EXPECT_EQ(attempts.Submit("wrong"), PasswordAttempts::Outcome::Rejected);
    EXPECT_EQ(attempts.Submit("wrong again"), PasswordAttempts::Outcome::Rejected);
    EXPECT_EQ(GetCurrentPassword(), "before");
    EXPECT_EQ(attempts.Submit("right"), PasswordAttempts::Outcome::Accepted);
    EXPECT_EQ(GetCurrentPassword(), "right");
}

}  // namespace
