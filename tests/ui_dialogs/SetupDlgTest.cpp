#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include "DialogWorld.h"
#include "RegistryTree.h"
#include "WxTestSupport.h"
#include "app/SetupRules.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "support/ScriptedUserInterface.h"
#include "ui/CChangePasswordDlg.h"
#include "ui/CHoverButton.h"
#include "ui/CMessageBoxDlg.h"
#include "ui/CProgressDlg.h"
#include "ui/CRecoveryPasswordDlg.h"
#include "ui/CPasswordDlg.h"
#include "ui/CSetupDlg.h"

namespace {

class uiSetup : public DialogWorld {
protected:
    // Listed in the registry's order: Alice, Bob, and Carol whose name is Bob too.
    uiSetup() {
        AddIdentity(kCarol, "Bob");
        AddIdentity(kBob, "Bob");
        AddIdentity(kAlice, "Alice");
    }
    // Runs the setup command; each modal dialog it opens, once its opening events are
    // handled, goes to action. Returns how many dialogs opened.
    static int RunSetupWith(const std::function<void(wxDialog&)>& action) {
        ModalScript script([&](wxDialog& dialog) {
            PumpFor(50);
            action(dialog);
        });
        RunSetup();
        return script.Runs();
    }
    bool SettingsWritten() const { return KeyExists(GetSettingsKeyPath()); }

    ScriptedUserInterface ui_;
};

}  // namespace

TEST_F(uiSetup, OpensOnTheStoredChoiceAndOkSavesTheLineAndLevelOnceOneIsSelected) {
    UsePassword("set");
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.guard) {
            ASSERT_TRUE(SetGuardId(c.guard) && SetSecurityLevel(c.storedLevel));
        }
        ui_.messages.clear();
        wxArrayString lines;
        int selected = -2, level = -2, checked = 0;
        bool openAfterOk = false;
        wxString title;
        RunSetupWith([&](wxDialog& dialog) {
            auto& setup = dynamic_cast<CSetupDlg&>(dialog);
            title = setup.GetTitle();
            lines = setup.IdentityList().GetStrings();
            selected = setup.IdentityList().GetSelection();
            level = setup.Level();
            for (int l : {SecurityLow, SecurityMedium, SecurityHigh}) checked += setup.LevelButton(l).GetValue() ? 1 : 0;
            if (!c.selected) ui_.QueueAnswer(IDOK);
            ClickMiddle(setup.OkButton());
            openAfterOk = setup.IsModal();
            if (openAfterOk) {
                EXPECT_EQ(c.guard != nullptr, SettingsWritten());
                setup.IdentityList().SetSelection(2);
                ClickMiddle(setup.OkButton());
            }
        });
        EXPECT_EQ("Setup", title);
        ASSERT_EQ(3u, lines.size());
        for (size_t n = 0; n < lines.size(); ++n) EXPECT_EQ(lines[n], GetIdentity(n).Username);
        EXPECT_EQ(c.selected ? FindIdentity(kCarol) : wxNOT_FOUND, selected);
        EXPECT_EQ(c.shownLevel, level);
        EXPECT_EQ(c.shownLevel < 0 ? 0 : 1, checked);
        EXPECT_EQ(!c.selected, openAfterOk);
        EXPECT_EQ(c.selected ? std::vector<std::string>{} : std::vector<std::string>{kSelectIdentityText}, ui_.MessageTexts());
        EXPECT_EQ(c.selected ? c.guard : GetIdentity(2).KeyName, GetGuardId());
        EXPECT_EQ(c.shownLevel, GetSecurityLevel());
    }
}

TEST_F(uiSetup, CancelEscapeAndAHiddenIdentitySaveNothing) {
    for (bool escape : {false, true}) {
        RunSetupWith([&](wxDialog& dialog) {
            auto& setup = dynamic_cast<CSetupDlg&>(dialog);
            setup.IdentityList().SetSelection(1);
            setup.LevelButton(SecurityLow).SetValue(true);
            escape ? SendKey(setup, wxEVT_CHAR_HOOK, WXK_ESCAPE) : ClickMiddle(setup.CancelButton());
        });
    }
    EXPECT_FALSE(SettingsWritten());

    SetGuardId(kAlice);
    HideProtectedIdentity();
    ui_.QueueAnswer(IDOK);
    EXPECT_EQ(0, RunSetupWith([](wxDialog& dialog) { dialog.EndModal(IDCANCEL); }));
    EXPECT_EQ(std::vector<std::string>{kSetupRefusedText}, ui_.MessageTexts());
    EXPECT_EQ(kAlice, GetGuardId());
}

TEST_F(uiSetup, ChangePasswordOpensFromItsButtonAndFromTheNoPasswordWarning) {
    ui_.QueueAnswer(IDYES);
    int changeDialogs = 0;
    RunSetupWith([&](wxDialog& dialog) {
        if (auto* change = dynamic_cast<CChangePasswordDlg*>(&dialog)) {
            // The first time through the button, cancelled; then after the warning.
            change->NewPasswordField().ChangeValue("chosen");
            change->ConfirmationField().ChangeValue("chosen");
            ClickMiddle(++changeDialogs == 1 ? change->CancelButton() : change->OkButton());
            return;
        }
        auto& setup = dynamic_cast<CSetupDlg&>(dialog);
        ClickMiddle(setup.ChangePasswordButton());
        EXPECT_FALSE(IsPasswordSet());
        setup.IdentityList().SetSelection(1);
        ClickMiddle(setup.OkButton());
    });
    EXPECT_EQ(2, changeDialogs);
    EXPECT_EQ(std::vector<std::string>{kNoPasswordWarningText}, ui_.MessageTexts());
    EXPECT_TRUE(VerifyPassword("chosen"));
    EXPECT_EQ(GetIdentity(1).KeyName, GetGuardId());
}

TEST_F(uiSetup, TheHelpPageIsShown) {
    CSetupDlg setup(SecurityHigh);
    ASSERT_NE(nullptr, setup.HelpPage());
    setup.Show();
    for (int n = 0; n < 100 && setup.HelpPage()->GetCurrentTitle() != "Setup help"; ++n) PumpFor(50);
    EXPECT_EQ("Setup help", setup.HelpPage()->GetCurrentTitle());
}

// Every button of every dialog is a hover button with its role icons and the hand cursor.
TEST_F(uiSetup, EveryButtonHasItsIconsAndTheHandCursor) {
    std::unique_ptr<CBaseDlg> dialogs[] = {
        std::make_unique<CPasswordDlg>(), std::make_unique<CChangePasswordDlg>(), std::make_unique<CSetupDlg>(SecurityHigh),
        std::make_unique<CRecoveryPasswordDlg>("?"), std::make_unique<CProgressDlg>(),
        std::make_unique<CMessageBoxDlg>("?", MB_YESNO), std::make_unique<CMessageBoxDlg>("?", MB_RETRYCANCEL)};
    for (auto& dialog : dialogs) {
        int buttons = 0;
        for (wxWindow* child : dialog->GetChildren()) {
            if (auto* button = dynamic_cast<CHoverButton*>(child)) {
                ++buttons;
                EXPECT_TRUE(button->HasInIcon() && button->HasOutIcon() && button->HasOwnCursor()) << button->GetLabel();
            }
        }
        EXPECT_GE(buttons, dynamic_cast<CProgressDlg*>(dialog.get()) ? 1 : 2) << dialog->GetTitle();
    }
}
