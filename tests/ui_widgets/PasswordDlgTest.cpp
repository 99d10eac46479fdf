#include <string>

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "WxTestSupport.h"
#include "ui/CRecoveryPasswordDlg.h"
#include "ui/CHoverButton.h"
#include "ui/WxUserInterface.h"

namespace {
CRecoveryPasswordDlg& AsPasswordDlg(wxDialog& d) { return dynamic_cast<CRecoveryPasswordDlg&>(d); }
}

TEST(uiRecoveryPassword, OkGivesTheTypedPasswordAndCancelGivesNothing) {
    WxUserInterface ui;
    std::string password = "untouched";
    {
        ModalScript script([](wxDialog& d) {
            CRecoveryPasswordDlg& dlg = AsPasswordDlg(d);
            EXPECT_TRUE(dlg.PasswordField().HasFlag(wxTE_PASSWORD));
            dlg.PasswordField().ChangeValue("s3cret p\xc3\xa4ss");
            ClickMiddle(dlg.CancelButton());
        });
        EXPECT_FALSE(ui.RequestPassword("Enter the old password", password));
    }
    EXPECT_EQ("untouched", password);
    {
        ModalScript script([](wxDialog& d) {
            CRecoveryPasswordDlg& dlg = AsPasswordDlg(d);
            dlg.PasswordField().ChangeValue(wxString::FromUTF8("s3cret p\xc3\xa4ss"));
            SendKey(dlg, wxEVT_CHAR_HOOK, WXK_RETURN);
        });
        EXPECT_TRUE(ui.RequestPassword("Enter the old password", password));
    }
    EXPECT_EQ("s3cret p\xc3\xa4ss", password);
}

TEST(uiRecoveryPassword, FieldIsEmptiedAfterTheAnswer) {
    CRecoveryPasswordDlg dlg("Enter the old password");
    ModalScript script([](wxDialog& d) {
        AsPasswordDlg(d).PasswordField().ChangeValue("abc");
        ClickMiddle(AsPasswordDlg(d).OkButton());
    });
    std::string password;
    EXPECT_TRUE(dlg.Run(password));
    EXPECT_EQ("abc", password);
    EXPECT_TRUE(dlg.PasswordField().GetValue().empty());
}
