#include <chrono>
#include <string>

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "DialogWorld.h"
#include "WxTestSupport.h"
#include "ui/CPasswordDlg.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "support/ScriptedUserInterface.h"
#include "ui/CHoverButton.h"

namespace {

using Clock = std::chrono::steady_clock;

CPasswordDlg& AsPrompt(wxDialog& dialog) { return dynamic_cast<CPasswordDlg&>(dialog); }

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class uiPasswordPrompt : public DialogWorld {
protected:
    // "right" is the password on disk, while this run holds another one, as at start-up.
    void SetRightPasswordOnDisk() {
        UsePassword("right");
        const std::string record = AuthRecordBytes();
        UsePassword("before");
        WriteWholeFile(AuthPath(), record);
    }

    // Types entry and presses OK, returning how long the press took.
    static long Enter(CPasswordDlg& prompt, const char* entry) {
        prompt.PasswordField().ChangeValue(entry);
        const auto start = Clock::now();
        ClickMiddle(prompt.OkButton());
        return MillisecondsSince(start);
    }

    ScriptedUserInterface ui_;
};

TEST_F(uiPasswordPrompt, WithoutAPasswordThePromptIsNeverShown) {
    ModalScript script([](wxDialog& dialog) {
        ADD_FAILURE() << "the prompt was shown";
        dialog.EndModal(IDCANCEL);
    });
    int exitCode = -1;
    EXPECT_TRUE(RunPasswordPrompt(&exitCode));
    EXPECT_EQ(script.Runs(), 0);

    UsePassword("");  // turned off by the change dialog: the same
    EXPECT_TRUE(RunPasswordPrompt());
    EXPECT_EQ(script.Runs(), 0);
}

TEST_F(uiPasswordPrompt, TheRightPasswordBecomesTheCurrentPassword) {
    SetRightPasswordOnDisk();
    wxString title;
    bool masked = false;
    ModalScript script([&](wxDialog& dialog) {
        CPasswordDlg& prompt = AsPrompt(dialog);
        title = prompt.GetTitle();
        masked = prompt.PasswordField().HasFlag(wxTE_PASSWORD);
        Enter(prompt, "right");
    });
    int exitCode = -1;
    EXPECT_TRUE(RunPasswordPrompt(&exitCode));
    EXPECT_EQ(script.Runs(), 1);
    EXPECT_EQ(title, "Authentication");
    EXPECT_TRUE(masked);
    EXPECT_EQ(GetCurrentPassword(), "right");
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(uiPasswordPrompt, TwoWrongEntriesAreForgivenWithADelayEach) {
    SetRightPasswordOnDisk();
    ui_.QueueAnswer(IDOK);
    ui_.QueueAnswer(IDOK);
    long delays[2] = {};
    wxString keptEntry;
    bool stillOpen = false;
    ModalScript script([&](wxDialog& dialog) {
        CPasswordDlg& prompt = AsPrompt(dialog);
        delays[0] = Enter(prompt, "Right");
        delays[1] = Enter(prompt, "wrong");
        // The wrong entry stays in the field, selected, for the next try.
        keptEntry = prompt.PasswordField().GetStringSelection();
        stillOpen = prompt.IsModal();
        Enter(prompt, "right");
    });
    EXPECT_TRUE(RunPasswordPrompt());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(keptEntry, "wrong");
    for (long delay : delays) EXPECT_GE(delay, WrongPasswordDelayMs);
    ASSERT_EQ(ui_.MessageTexts(), std::vector<std::string>(2, "The password you entered is not valid"));
    EXPECT_EQ(ui_.messages[0].style & MB_TYPEMASK, MB_OK);
    EXPECT_EQ(GetCurrentPassword(), "right");
}

TEST_F(uiPasswordPrompt, TheThirdWrongEntryQuitsAfterItsMessage) {
    SetRightPasswordOnDisk();
    for (int n = 0; n < 3; ++n) ui_.QueueAnswer(IDOK);
    int rejectionsAtLastMessage = -1;
    ModalScript script([&](wxDialog& dialog) {
        CPasswordDlg& prompt = AsPrompt(dialog);
        Enter(prompt, "one");
        Enter(prompt, "two");
        Enter(prompt, "three");
        rejectionsAtLastMessage = prompt.Rejections();
    });
    int exitCode = -1;
    EXPECT_FALSE(RunPasswordPrompt(&exitCode));
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(rejectionsAtLastMessage, 3);
    EXPECT_EQ(ui_.messages.size(), 3u);
    EXPECT_EQ(GetCurrentPassword(), "before");
}

TEST_F(uiPasswordPrompt, CancelAndEscapeEndTheProgramWithoutAQuitRequest) {
    SetRightPasswordOnDisk();
    ui_.QueueAnswer(IDOK);
    {
        ModalScript script([](wxDialog& dialog) {
            CPasswordDlg& prompt = AsPrompt(dialog);
            Enter(prompt, "wrong");
            ClickMiddle(prompt.CancelButton());
        });
        int exitCode = -1;
        EXPECT_FALSE(RunPasswordPrompt(&exitCode));
        EXPECT_EQ(exitCode, 0);
    }
    {
        ModalScript script([](wxDialog& dialog) { SendKey(dialog, wxEVT_CHAR_HOOK, WXK_ESCAPE); });
        EXPECT_FALSE(RunPasswordPrompt());
    }
    EXPECT_EQ(GetCurrentPassword(), "before");
}

}  // namespace
