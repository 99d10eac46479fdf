#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include "DialogWorld.h"
#include "RegistryTree.h"
#include "WxTestSupport.h"
#include "ui/CSetupDlg.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "ui/CChangePasswordDlg.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "support/ScriptedUserInterface.h"
#include "ui/CHoverButton.h"

namespace {

class uiSetup : public DialogWorld {
protected:
    // Listed in the registry's order: Alice, Bob, and Carol whose name is Bob too.
    void SetUp() override {
        AddIdentity(kCarol, "Bob");
        AddIdentity(kBob, "Bob");
        AddIdentity(kAlice, "Alice");
    }

    // Runs the setup command; each modal dialog it opens is handed to action.
    static int RunSetupWith(const std::function<void(wxDialog&)>& action) {
        ModalScript script(action);
        RunSetup();
        return script.Runs();
    }

    // The setup dialog once the events of its opening have been handled.
    static CSetupDlg& AsSetup(wxDialog& dialog) {
        PumpFor(50);
        return dynamic_cast<CSetupDlg&>(dialog);
    }

    bool SettingsWritten() const { return KeyExists(GetSettingsKeyPath()); }

    ScriptedUserInterface ui_;
};

TEST_F(uiSetup, OpensWithTheCatalogueTheProtectedIdentityAndItsLevel) {
    SetGuardId(kCarol);
    SetSecurityLevel(SecurityMedium);
    wxArrayString lines;
    int selected = -2, level = -2;
    bool mediumChecked = false;
    wxString title;
    RunSetupWith([&](wxDialog& dialog) {
        CSetupDlg& setup = AsSetup(dialog);
        title = setup.GetTitle();
        lines = setup.IdentityList().GetStrings();
        selected = setup.IdentityList().GetSelection();
        level = setup.Level();
        mediumChecked = setup.LevelButton(SecurityMedium).GetValue();
        ClickMiddle(setup.CancelButton());
    });
    EXPECT_EQ(title, "Setup");
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(GetIdentityCount(), 3u);  // reloaded when the dialog opened
    for (size_t n = 0; n < lines.size(); ++n) EXPECT_EQ(lines[n], GetIdentity(n).Username);
    EXPECT_EQ(selected, FindIdentity(kCarol));
    EXPECT_EQ(level, SecurityMedium);
    EXPECT_TRUE(mediumChecked);
}

TEST_F(uiSetup, FirstUseShowsHighAndNoSelectionAndOkAsksForOne) {
    UsePassword("set");
    ui_.QueueAnswer(IDOK);
    int selected = -2, level = -2;
    bool openAfterOk = false;
    RunSetupWith([&](wxDialog& dialog) {
        CSetupDlg& setup = AsSetup(dialog);
        selected = setup.IdentityList().GetSelection();
        level = setup.Level();
        ClickMiddle(setup.OkButton());
        openAfterOk = setup.IsModal();
        EXPECT_FALSE(SettingsWritten());
        setup.IdentityList().SetSelection(2);
        setup.LevelButton(SecurityLow).SetValue(true);
        ClickMiddle(setup.OkButton());
    });
    EXPECT_EQ(selected, wxNOT_FOUND);
    EXPECT_EQ(level, SecurityHigh);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{"Please select an identity to protect."});
    EXPECT_EQ(GetGuardId(), GetIdentity(2).KeyName);
    EXPECT_EQ(GetSecurityLevel(), SecurityLow);
}

TEST_F(uiSetup, ALevelOutsideTheThreeChecksNoButtonAndIsSavedAsMinusOne) {
    UsePassword("set");
    SetSecurityLevel(7);
    SetGuardId("{0DD00000-0000-0000-0000-000000000000}");  // not listed
    bool anyChecked = true;
    int selected = -2;
    RunSetupWith([&](wxDialog& dialog) {
        CSetupDlg& setup = AsSetup(dialog);
        anyChecked = false;
        for (int level : {SecurityLow, SecurityMedium, SecurityHigh}) {
            anyChecked = anyChecked || setup.LevelButton(level).GetValue();
        }
        selected = setup.IdentityList().GetSelection();
        setup.IdentityList().SetSelection(0);
        ClickMiddle(setup.OkButton());
    });
    EXPECT_FALSE(anyChecked);
    EXPECT_EQ(selected, wxNOT_FOUND);
    EXPECT_EQ(GetGuardId(), GetIdentity(0).KeyName);
    EXPECT_EQ(GetSecurityLevel(), -1);
}

TEST_F(uiSetup, CancelAndEscapeSaveNothing) {
    for (bool escape : {false, true}) {
        RunSetupWith([&](wxDialog& dialog) {
            CSetupDlg& setup = AsSetup(dialog);
            setup.IdentityList().SetSelection(1);
            setup.LevelButton(SecurityLow).SetValue(true);
            if (escape) {
                SendKey(setup, wxEVT_CHAR_HOOK, WXK_ESCAPE);
            } else {
                ClickMiddle(setup.CancelButton());
            }
        });
    }
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(uiSetup, WhileHiddenOnlyTheRefusalIsShown) {
    SetGuardId(kAlice);
    HideProtectedIdentity();
    ui_.QueueAnswer(IDOK);
    const int dialogs = RunSetupWith([](wxDialog& dialog) { dialog.EndModal(IDCANCEL); });
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(ui_.MessageTexts(),
              std::vector<std::string>{"You can not adjust settings while currently protected identity is hidden. "
                                       "Please restore hidden identity and then try again."});
    EXPECT_EQ(GetGuardId(), kAlice);
    EXPECT_EQ(GetSecurityLevel(), SecurityHigh);
}

TEST_F(uiSetup, WithoutAPasswordOkWarnsAndYesOpensTheChangeDialog) {
    ui_.QueueAnswer(IDYES);
    RunSetupWith([](wxDialog& dialog) {
        if (auto* change = dynamic_cast<CChangePasswordDlg*>(&dialog)) {
            change->NewPasswordField().ChangeValue("chosen");
            change->ConfirmationField().ChangeValue("chosen");
            ClickMiddle(change->OkButton());
            return;
        }
        CSetupDlg& setup = AsSetup(dialog);
        setup.IdentityList().SetSelection(1);
        ClickMiddle(setup.OkButton());
    });
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text.rfind("No password currently set.", 0), 0u);
    EXPECT_EQ(ui_.messages[0].style & MB_TYPEMASK, MB_YESNO);
    EXPECT_TRUE(VerifyPassword("chosen"));
    EXPECT_EQ(GetGuardId(), GetIdentity(1).KeyName);
    EXPECT_EQ(GetSecurityLevel(), SecurityHigh);
}

TEST_F(uiSetup, TheChangePasswordButtonOpensTheChangeDialog) {
    UsePassword("set");
    int changeDialogs = 0;
    const int dialogs = RunSetupWith([&](wxDialog& dialog) {
        if (auto* change = dynamic_cast<CChangePasswordDlg*>(&dialog)) {
            ++changeDialogs;
            ClickMiddle(change->CancelButton());
            return;
        }
        CSetupDlg& setup = AsSetup(dialog);
        ClickMiddle(setup.ChangePasswordButton());
        ClickMiddle(setup.CancelButton());
    });
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(changeDialogs, 1);
    EXPECT_TRUE(VerifyPassword("set"));
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(uiSetup, TheHelpPageIsShown) {
    CSetupDlg setup(SecurityHigh);
    ASSERT_NE(setup.HelpPage(), nullptr);
    setup.Show();
    for (int n = 0; n < 100 && setup.HelpPage()->GetCurrentTitle() != "Setup help"; ++n) PumpFor(50);
    EXPECT_EQ(setup.HelpPage()->GetCurrentTitle(), "Setup help");
}

}  // namespace
