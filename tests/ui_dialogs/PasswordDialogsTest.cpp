// The start-up password prompt and the change password dialog, driven by their windows.
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "DialogWorld.h"
#include "WxTestSupport.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "platform/File.h"
#include "support/ScriptedUserInterface.h"
#include "ui/CChangePasswordDlg.h"
#include "ui/CHoverButton.h"
#include "ui/CPasswordDlg.h"

namespace {

// Presses the button and says whether the press took the wrong password's delay.
bool PressTookTheDelay(CHoverButton& button) {
    const auto start = std::chrono::steady_clock::now();
    ClickMiddle(button);
    return std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(WrongPasswordDelayMs);
}

class uiPasswordDialogs : public DialogWorld {};

}  // namespace

TEST_F(uiPasswordDialogs, ChangeDialogClosesOnlyOnceTheNewPasswordIsInForce) {
    const struct {
        const char *name, *old, *fresh, *confirmation;
        bool readOnly;
        std::vector<int> answers;
        const char* message;  // the one message box, if any
        bool delayed, closes;
        const char* fieldsAfter;  // the three fields as left open, or the password in force
    } cases[] = {
        {"wrong old password", "Old", "new", "other", false, {IDOK}, kOldPasswordWrongText, true, false, "Old|new|other"},
        {"new ones differ", "old", "Secret", "secret", false, {IDOK}, kPasswordsDifferText, false, false, "old||"},
        {"turning off, No", "old", "", "", false, {IDNO}, kDisablePasswordQuestion, false, false, "old||"},
        {"turning off, Yes", "old", "", "", false, {IDYES}, kDisablePasswordQuestion, false, true, ""},
        {"unwritable auth.dat", "old", "new", "new", true, {IDOK}, kPasswordNotSavedText, false, false, "old|new|new"},
        {"a new password", "old", "n3w pass", "n3w pass", false, {}, nullptr, false, true, "n3w pass"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsePassword("old");
        const std::string before = AuthRecordBytes();
        if (c.readOnly) {
            ASSERT_TRUE(platform::SetFileAttributes(AuthPath(), platform::AttributeReadOnly));
        }
        ScriptedUserInterface ui;
        for (int answer : c.answers) ui.QueueAnswer(answer);
        bool delayed = false, open = false;
        wxString fields, title;
        ModalScript script([&](wxDialog& dialog) {
            auto& change = dynamic_cast<CChangePasswordDlg&>(dialog);
            title = change.GetTitle();
            change.OldPasswordField().ChangeValue(c.old);
            change.NewPasswordField().ChangeValue(c.fresh);
            change.ConfirmationField().ChangeValue(c.confirmation);
            delayed = PressTookTheDelay(change.OkButton());
            fields = change.OldPasswordField().GetValue() + "|" + change.NewPasswordField().GetValue() + "|" +
                     change.ConfirmationField().GetValue();
            open = change.IsModal();
            if (open) ClickMiddle(change.CancelButton());
        });
        const int result = CChangePasswordDlg().ShowModal();
        platform::SetFileAttributes(AuthPath(), 0);
        EXPECT_EQ("Change password", title);
        EXPECT_EQ(c.closes ? IDOK : IDCANCEL, result);
        EXPECT_EQ(!c.closes, open);
        EXPECT_EQ(c.delayed, delayed);
        EXPECT_EQ(c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}, ui.MessageTexts());
        if (c.message == kDisablePasswordQuestion) {
            EXPECT_EQ(MB_YESNO | MB_ICONQUESTION, ui.messages[0].style);
        }
        const std::string inForce = c.closes ? c.fieldsAfter : "old";
        if (!c.closes) {
            EXPECT_EQ(c.fieldsAfter, fields);
            EXPECT_EQ(before, AuthRecordBytes());
        }
        EXPECT_EQ(inForce, GetCurrentPassword());
        EXPECT_TRUE(VerifyPassword(inForce));
        EXPECT_EQ(!inForce.empty(), IsPasswordSet());
    }
}

TEST_F(uiPasswordDialogs, PromptForgivesTwoWrongEntriesAndQuitsAfterTheThird) {
    const struct {
        const char* name;
        std::vector<const char*> entries;  // each typed and OK pressed; then Cancel or Escape if still open
        int last;
        bool runs;
        int exitCode;
    } cases[] = {
        {"right", {"right"}, 0, true, 0},
        {"two wrong (one empty), then right", {"", "Right", "right"}, 0, true, 0},
        {"three wrong", {"one", "two", "three"}, 0, false, 1},
        {"wrong, then Cancel", {"wrong"}, WXK_CANCEL, false, 0},
        {"Escape", {}, WXK_ESCAPE, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // "right" is the password on disk, while this run holds another one, as at start-up.
        UsePassword("right");
        const std::string record = AuthRecordBytes();
        UsePassword("before");
        WriteWholeFile(AuthPath(), record);
        ScriptedUserInterface ui;
        size_t wrong = 0;
        ModalScript script([&](wxDialog& dialog) {
            auto& prompt = dynamic_cast<CPasswordDlg&>(dialog);
            EXPECT_EQ("Authentication", prompt.GetTitle());
            EXPECT_TRUE(prompt.PasswordField().HasFlag(wxTE_PASSWORD));
            for (const char* entry : c.entries) {
                const bool right = std::string(entry) == "right";
                if (!right) {
                    ui.QueueAnswer(IDOK);
                    ++wrong;
                }
                prompt.PasswordField().ChangeValue(entry);
                EXPECT_EQ(!right, PressTookTheDelay(prompt.OkButton())) << entry;
                // A wrong entry stays, selected, for the next try.
                if (!right && wrong < 3) {
                    EXPECT_EQ(entry, prompt.PasswordField().GetStringSelection());
                }
            }
            if (c.last == WXK_CANCEL) ClickMiddle(prompt.CancelButton());
            if (c.last == WXK_ESCAPE) SendKey(prompt, wxEVT_CHAR_HOOK, WXK_ESCAPE);
        });
        int exitCode = -1;
        EXPECT_EQ(c.runs, RunPasswordPrompt(&exitCode));
        EXPECT_EQ(c.exitCode, exitCode);
        EXPECT_EQ(1, script.Runs());
        EXPECT_EQ(std::vector<std::string>(wrong, kWrongPasswordText), ui.MessageTexts());
        EXPECT_EQ(c.runs ? "right" : "before", GetCurrentPassword());
    }
}

TEST_F(uiPasswordDialogs, WithoutAPasswordThePromptIsNeverShown) {
    ModalScript script([](wxDialog& dialog) { dialog.EndModal(IDCANCEL); });
    EXPECT_TRUE(RunPasswordPrompt());
    UsePassword("");  // turned off by the change dialog: the same
    EXPECT_TRUE(RunPasswordPrompt());
    EXPECT_EQ(0, script.Runs());
}
