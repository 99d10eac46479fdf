// Pictures of the three dialogs for the documentation. Runs only when
// VEILBOX_SCREENSHOT_DIR names a folder (and ImageMagick's import is installed):
//   export VEILBOX_SCREENSHOT_DIR=$PWD/docs/screenshots
//   xvfb-run -s "-screen 0 1024x768x24" build/tests/test_ui_dialogs --gtest_filter='uiScreenshot*'
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include "DialogWorld.h"
#include "WxTestSupport.h"
#include "ui/CSetupDlg.h"
#include "identities/Settings.h"
#include "ui/CChangePasswordDlg.h"
#include "ui/CPasswordDlg.h"
#include "ui/CHoverButton.h"

namespace {

class uiScreenshot : public DialogWorld {
protected:
    void SetUp() override {
        const char* dir = std::getenv("VEILBOX_SCREENSHOT_DIR");
        if (!dir || !*dir) GTEST_SKIP() << "VEILBOX_SCREENSHOT_DIR is not set";
        dir_ = dir;
    }

    void Take(wxWindow& window, const std::string& name) {
        ShowAndActivate(window);
        PumpFor(300);
        const wxRect r = window.GetScreenRect();
        const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                                    std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                                    std::to_string(r.y) + " +repage '" + dir_ + "/" + name + ".png'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }

    std::string dir_;
};

TEST_F(uiScreenshot, PasswordPrompt) {
    CPasswordDlg prompt;
    prompt.PasswordField().ChangeValue("secret");
    Take(prompt, "password_prompt");
}

TEST_F(uiScreenshot, ChangePassword) {
    CChangePasswordDlg dialog;
    dialog.OldPasswordField().ChangeValue("old");
    dialog.NewPasswordField().ChangeValue("new one");
    Take(dialog, "change_password");
}

TEST_F(uiScreenshot, Setup) {
    AddIdentity(kAlice, "Main Identity");
    AddIdentity(kBob, "Private");
    AddIdentity(kCarol, "Work");
    SetGuardId(kBob);
    CSetupDlg setup(SecurityHigh);
    setup.Show();
    for (int n = 0; n < 100 && setup.HelpPage() && setup.HelpPage()->GetCurrentTitle() != "Setup help"; ++n) {
        PumpFor(50);
    }
    PumpFor(1500);
    Take(setup, "setup");
}

}  // namespace
