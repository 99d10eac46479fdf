#include <memory>

#include <gtest/gtest.h>

#include "DialogWorld.h"
#include "WxTestSupport.h"
#include "ui/CSetupDlg.h"
#include "identities/Settings.h"
#include "ui/CChangePasswordDlg.h"
#include "ui/CPasswordDlg.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"

namespace {

class uiDialogLook : public DialogWorld {};

// Every button of the three dialogs is a hover button with its role icons, the hand
// cursor and the ivory idle colour, on an ivory dialog.
TEST_F(uiDialogLook, EveryButtonHasTheProgramLook) {
    std::unique_ptr<CBaseDlg> dialogs[] = {std::make_unique<CPasswordDlg>(), std::make_unique<CChangePasswordDlg>(),
                                           std::make_unique<CSetupDlg>(SecurityHigh)};
    for (auto& dialog : dialogs) {
        SCOPED_TRACE(dialog->GetTitle().utf8_string());
        EXPECT_EQ(dialog->GetBackgroundColour(), DialogBackgroundColour());
        int buttons = 0;
        for (wxWindow* child : dialog->GetChildren()) {
            auto* button = dynamic_cast<CHoverButton*>(child);
            if (!button) continue;
            ++buttons;
            SCOPED_TRACE(button->GetLabel().utf8_string());
            EXPECT_TRUE(button->HasInIcon());
            EXPECT_TRUE(button->HasOutIcon());
            EXPECT_TRUE(button->HasOwnCursor());
            EXPECT_EQ(button->GetColor(CHoverButton::BackIdle), DialogBackgroundColour());
        }
        EXPECT_GE(buttons, 2);
    }
}

}  // namespace
