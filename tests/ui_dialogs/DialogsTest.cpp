// The change password and setup dialogs, driven by their windows; their message boxes
// are the program's own, answered by a click. (The start-up prompt: tests/ui_app.)

#include <memory>

#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include "WxTestSupport.h"
#include "app/SetupRules.h"
#include "identities/IdentityCatalogue.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "platform/File.h"
#include "support/World.h"
#include "ui/CChangePasswordDlg.h"
#include "ui/CPasswordDlg.h"
#include "ui/CProgressDlg.h"
#include "ui/CRecoveryPasswordDlg.h"
#include "ui/CSetupDlg.h"

namespace {

const char kAlice[] = "{A11CE000-0000-0000-0000-000000000001}";
const char kBob[] = "{B0B00000-0000-0000-0000-000000000002}";
const char kCarol[] = "{CA201000-0000-0000-0000-000000000003}";

// The shared world without the mail client's store or a scripted user.
class uiDialogs : public ::testing::Test {
protected:
    std::string AuthBytes() const { return ReadWholeFile(world.AuthPath()); }
    World world{{false, false, false, "", SecurityHigh, ""}};
};

// Listed in the registry's order: Alice, Bob, and Carol whose name is Bob too.
class uiSetup : public uiDialogs {
protected:
    uiSetup() {
        for (const auto& [key, name] : {std::pair{kCarol, "Bob"}, {kBob, "Bob"}, {kAlice, "Alice"}}) world.AddIdentity(key, name);
    }
};

}  // namespace

TEST_F(uiDialogs, ChangeDialogClosesOnlyOnceTheNewPasswordIsInForce) {
    const struct {
        const char *name, *old, *fresh, *confirmation;
        bool readOnly;
        int answer;           // to the one message box, if any
        const char* message;  // its text
        bool delayed, closes;
        const char* fieldsAfter;  // the three fields as left open, or the password in force
    } cases[] = {
        {"wrong old password", "Old", "new", "other", false, MessageAnswer::Ok, kOldPasswordWrongText, true, false,
         "Old|new|other"},
        {"new ones differ", "old", "Secret", "secret", false, MessageAnswer::Ok, kPasswordsDifferText, false, false,
         "old||"},
        {"turning off, No", "old", "", "", false, MessageAnswer::No, kDisablePasswordQuestion, false, false, "old||"},
        {"turning off, Yes", "old", "", "", false, MessageAnswer::Yes, kDisablePasswordQuestion, false, true, ""},
        {"unwritable auth.dat", "old", "new", "new", true, MessageAnswer::Ok, kPasswordNotSavedText, false, false,
         "old|new|new"},
        {"a new password", "old", "n3w pass", "n3w pass", false, 0, nullptr, false, true, "n3w pass"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        world.SetPassword("old");
        const std::string before = AuthBytes();
        if (c.readOnly) {
            ASSERT_TRUE(platform::ApplyFileAttributes(world.AuthPath(), platform::AttributeReadOnly));
        }
        bool delayed = false, open = false;
        wxString fields;
        ModalScript script([&](wxDialog& dialog) {
            auto& change = dynamic_cast<CChangePasswordDlg&>(dialog);
            change.OldPasswordField().ChangeValue(c.old);
            change.NewPasswordField().ChangeValue(c.fresh);
            change.ConfirmationField().ChangeValue(c.confirmation);
            delayed = PressTookTheDelay(change.OkButton());
            fields = change.OldPasswordField().GetValue() + "|" + change.NewPasswordField().GetValue() + "|" +
                     change.ConfirmationField().GetValue();
            open = change.IsModal();
            if (open) ClickMiddle(change.CancelButton());
        });
        if (c.message) script.Answer({c.answer});
        const int result = CChangePasswordDlg().ShowModal();
        (void)platform::ApplyFileAttributes(world.AuthPath(), 0);
        EXPECT_EQ(c.closes ? MessageAnswer::Ok : MessageAnswer::Cancel, result);
        EXPECT_EQ(!c.closes, open);
        EXPECT_EQ(c.delayed, delayed);
        EXPECT_EQ(c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}, script.boxes);
        const std::string inForce = c.closes ? c.fieldsAfter : "old";
        if (!c.closes) {
            EXPECT_EQ(c.fieldsAfter, fields);
            EXPECT_EQ(before, AuthBytes());
        }
        EXPECT_EQ(inForce, GetCurrentPassword());
        EXPECT_TRUE(VerifyPassword(inForce));
        EXPECT_EQ(!inForce.empty(), IsPasswordSet());
    }
}

TEST_F(uiSetup, OpensOnTheStoredChoiceAndOkSavesTheLineAndLevelOnceOneIsSelected) {
    world.SetPassword("set");
    const struct {
        const char* name;
        const char* guard;  // stored before opening; null: nothing stored yet
        int storedLevel, shownLevel;
        bool selected;  // the protected identity's line is selected
    } cases[] = {
        {"first use", nullptr, 0, SecurityHigh, false},
        {"the protected identity at medium", kCarol, SecurityMedium, SecurityMedium, true},
        {"an unlisted identity and an unknown level", "{0DD00000-0000-0000-0000-000000000000}", 7, -1, false},
    };
    const IdentityCatalogue catalogue = IdentityCatalogue::Read();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.guard) {
            ASSERT_TRUE(World::Protect(c.guard, c.storedLevel));
        }
        wxArrayString lines;
        int selected = -2, level = -2, checked = 0;
        bool openAfterOk = false;
        ModalScript script([&](wxDialog& dialog) {
            PumpFor(50);  // the dialog's opening events first
            auto& setup = dynamic_cast<CSetupDlg&>(dialog);
            lines = setup.IdentityList().GetStrings();
            selected = setup.IdentityList().GetSelection();
            level = setup.Level();
            for (int l : {SecurityLow, SecurityMedium, SecurityHigh}) checked += setup.LevelButton(l).GetValue() ? 1 : 0;
            if (!c.selected) script.Answer({MessageAnswer::Ok});
            ClickMiddle(setup.OkButton());
            openAfterOk = setup.IsModal();
            if (openAfterOk) {
                EXPECT_EQ(c.guard ? c.guard : "", GetGuardId()) << "saved without a selection";
                setup.IdentityList().SetSelection(2);
                ClickMiddle(setup.OkButton());
            }
        });
        RunSetup();
        ASSERT_EQ(3u, lines.size());
        for (size_t n = 0; n < lines.size(); ++n) EXPECT_EQ(lines[n], catalogue.At(n).Username);
        EXPECT_EQ(c.selected ? catalogue.Find(kCarol) : wxNOT_FOUND, selected);
        EXPECT_EQ(c.shownLevel, level);
        EXPECT_EQ(c.shownLevel < 0 ? 0 : 1, checked);
        EXPECT_EQ(!c.selected, openAfterOk);
        EXPECT_EQ(c.selected ? std::vector<std::string>{} : std::vector<std::string>{kSelectIdentityText}, script.boxes);
        EXPECT_EQ(c.selected ? c.guard : catalogue.At(2).KeyName, GetGuardId());
        EXPECT_EQ(c.shownLevel, GetSecurityLevel());
    }
}

TEST_F(uiSetup, CancelEscapeAndAHiddenIdentitySaveNothing) {
    for (bool escape : {false, true}) {
        ModalScript script([&](wxDialog& dialog) {
            auto& setup = dynamic_cast<CSetupDlg&>(dialog);
            setup.IdentityList().SetSelection(1);
            setup.LevelButton(SecurityLow).SetValue(true);
            escape ? SendKey(setup, wxEVT_CHAR_HOOK, WXK_ESCAPE) : ClickMiddle(setup.CancelButton());
        });
        RunSetup();
    }
    EXPECT_EQ("", GetGuardId());
    EXPECT_EQ(SecurityHigh, GetSecurityLevel());

    world.MarkHidden(kAlice);
    ModalScript script([](wxDialog& dialog) { dialog.EndModal(MessageAnswer::Cancel); });
    script.Answer({MessageAnswer::Ok});
    RunSetup();
    EXPECT_EQ(0, script.Runs());
    EXPECT_EQ(std::vector<std::string>{kSetupRefusedText}, script.boxes);
    EXPECT_EQ(kAlice, GetGuardId());
}

// "Change password" once broke onto two cut lines: every caption of every dialog fits
// on one line beside its 16-pixel icon.
TEST_F(uiDialogs, EveryButtonCaptionFitsItsButton) {
    std::vector<std::unique_ptr<wxDialog>> dialogs;
    dialogs.emplace_back(new CSetupDlg(SecurityHigh));
    dialogs.emplace_back(new CChangePasswordDlg);
    dialogs.emplace_back(new CPasswordDlg);
    dialogs.emplace_back(new CRecoveryPasswordDlg("Enter the old password"));
    dialogs.emplace_back(new CProgressDlg);
    for (unsigned set : {MessageStyle::Ok, MessageStyle::OkCancel, MessageStyle::YesNo, MessageStyle::RetryCancel}) dialogs.emplace_back(new CMessageBoxDlg("?", set));
    for (const auto& dialog : dialogs) {
        for (wxWindow* child : dialog->GetChildren()) {
            auto* button = dynamic_cast<CHoverButton*>(child);
            if (!button || !button->IsShown()) continue;
            const int caption = button->GetSize().x - (button->HasInIcon() ? 16 + 3 : 0);
            EXPECT_LE(button->GetTextExtent(button->GetLabelText()).x, caption)
                << dialog->GetTitle() << ": " << button->GetLabelText();
        }
    }
}

TEST_F(uiSetup, TheHelpPageIsShown) {
    CSetupDlg setup(SecurityHigh);
    ASSERT_NE(nullptr, setup.HelpPage());
    setup.Show();
    for (int n = 0; n < 100 && setup.HelpPage()->GetCurrentTitle() != "Setup help"; ++n) PumpFor(50);
    EXPECT_EQ("Setup help", setup.HelpPage()->GetCurrentTitle());
}
