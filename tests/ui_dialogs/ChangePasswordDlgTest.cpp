#include <chrono>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "DialogWorld.h"
#include "WxTestSupport.h"
#include "ui/CChangePasswordDlg.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "platform/File.h"
#include "support/ScriptedUserInterface.h"
#include "ui/CHoverButton.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Entry {
    const char* oldPassword;
    const char* newPassword;
    const char* confirmation;
};

class uiChangePassword : public DialogWorld {
protected:
    void SetUp() override {
        UsePassword("old");
        before_ = AuthRecordBytes();
    }

    // Runs the dialog modally with action and returns its result.
    static int Run(const std::function<void(CChangePasswordDlg&)>& action) {
        ModalScript script([&](wxDialog& dialog) { action(dynamic_cast<CChangePasswordDlg&>(dialog)); });
        CChangePasswordDlg dialog;
        return dialog.ShowModal();
    }

    // Fills the three fields and presses OK; returns how long the press took.
    static long Submit(CChangePasswordDlg& dialog, const Entry& entry) {
        dialog.OldPasswordField().ChangeValue(entry.oldPassword);
        dialog.NewPasswordField().ChangeValue(entry.newPassword);
        dialog.ConfirmationField().ChangeValue(entry.confirmation);
        const auto start = Clock::now();
        ClickMiddle(dialog.OkButton());
        return static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    }

    void ExpectPasswordUnchanged() {
        EXPECT_EQ(AuthRecordBytes(), before_);
        EXPECT_EQ(GetCurrentPassword(), "old");
    }

    std::string before_;
    ScriptedUserInterface ui_;
};

TEST_F(uiChangePassword, AWrongOldPasswordIsReportedAfterADelayAndNothingElseIsLookedAt) {
    ui_.QueueAnswer(IDOK);
    long delay = 0;
    bool stillOpen = false;
    wxString fields[3];
    const int result = Run([&](CChangePasswordDlg& dialog) {
        delay = Submit(dialog, {"Old", "new", "different"});
        stillOpen = dialog.IsModal();
        fields[0] = dialog.OldPasswordField().GetValue();
        fields[1] = dialog.NewPasswordField().GetValue();
        fields[2] = dialog.ConfirmationField().GetValue();
        ClickMiddle(dialog.CancelButton());
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(stillOpen);
    EXPECT_GE(delay, WrongPasswordDelayMs);
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Old password is not valid"});
    EXPECT_EQ(fields[0], "Old");
    EXPECT_EQ(fields[1], "new");
    EXPECT_EQ(fields[2], "different");
    ExpectPasswordUnchanged();
}

TEST_F(uiChangePassword, DifferentNewPasswordsAreEmptiedAtOnceAndTheOldOneStays) {
    ui_.QueueAnswer(IDOK);
    long delay = 0;
    wxString fields[3];
    const int result = Run([&](CChangePasswordDlg& dialog) {
        delay = Submit(dialog, {"old", "Secret", "secret"});
        fields[0] = dialog.OldPasswordField().GetValue();
        fields[1] = dialog.NewPasswordField().GetValue();
        fields[2] = dialog.ConfirmationField().GetValue();
        SendKey(dialog, wxEVT_CHAR_HOOK, WXK_ESCAPE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_LT(delay, WrongPasswordDelayMs);
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Passwords don't match! Please try again"});
    EXPECT_EQ(fields[0], "old");
    EXPECT_TRUE(fields[1].empty());
    EXPECT_TRUE(fields[2].empty());
    ExpectPasswordUnchanged();
}

TEST_F(uiChangePassword, ANewPasswordIsSavedAndInForce) {
    wxString title;
    const int result = Run([&](CChangePasswordDlg& dialog) {
        title = dialog.GetTitle();
        Submit(dialog, {"old", "n3w pass", "n3w pass"});
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(title, "Change password");
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(GetCurrentPassword(), "n3w pass");
    EXPECT_NE(AuthRecordBytes(), before_);
    EXPECT_TRUE(VerifyPassword("n3w pass"));
    EXPECT_FALSE(VerifyPassword("old"));
}

TEST_F(uiChangePassword, TurningThePasswordOffIsAskedFirst) {
    ui_.QueueAnswer(IDNO);
    ui_.QueueAnswer(IDYES);
    bool openAfterNo = false;
    const int result = Run([&](CChangePasswordDlg& dialog) {
        Submit(dialog, {"old", "", ""});
        openAfterNo = dialog.IsModal();
        EXPECT_EQ(AuthRecordBytes(), before_);
        Submit(dialog, {"old", "", ""});
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(openAfterNo);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, "Are you sure you want to disable the password feature?");
    EXPECT_EQ(ui_.messages[0].style, MB_YESNO | MB_ICONQUESTION);
    EXPECT_FALSE(IsPasswordSet());
    EXPECT_EQ(GetCurrentPassword(), "");
}

TEST_F(uiChangePassword, AnUnwritablePasswordFileIsReportedAndTheOldPasswordStays) {
    ASSERT_TRUE(platform::SetFileAttributes(AuthPath(), platform::AttributeReadOnly));
    ui_.QueueAnswer(IDOK);
    bool stillOpen = false;
    const int result = Run([&](CChangePasswordDlg& dialog) {
        Submit(dialog, {"old", "new", "new"});
        stillOpen = dialog.IsModal();
        ClickMiddle(dialog.CancelButton());
    });
    platform::SetFileAttributes(AuthPath(), 0);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, kPasswordNotSavedText);
    ExpectPasswordUnchanged();
    EXPECT_TRUE(VerifyPassword("old"));
}

TEST_F(uiChangePassword, TheFixedPasswordOfAZeroSaltRecordIsLeftBehind) {
    WriteWholeFile(AuthPath(), std::string(24, '\0'));
    const int result = Run([](CChangePasswordDlg& dialog) { Submit(dialog, {"qerno", "mine", "mine"}); });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(VerifyPassword("mine"));
    EXPECT_FALSE(VerifyPassword("qerno"));
}

}  // namespace
