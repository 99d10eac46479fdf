// The windows the core asks for through the user port: message boxes, the password
// request and the progress dialog.
#include <memory>

#include <wx/frame.h>
#include <wx/textctrl.h>

#include "WxTestSupport.h"
#include "ui/CProgressDlg.h"
#include "ui/CRecoveryPasswordDlg.h"
#include "ui/WxUserInterface.h"

namespace {

// Shows a box modally, lets action answer it and returns the box's result.
int RunBox(unsigned style, const std::function<void(CMessageBoxDlg&)>& action) {
    ModalScript script([&](wxDialog& dialog) { action(dynamic_cast<CMessageBoxDlg&>(dialog)); });
    return CMessageBoxDlg("Are you sure?", style).ShowModal();
}

// A shown main window: the owner of progress dialogs and the caption of boxes.
class uiWithMainWindow : public ::testing::Test {
protected:
    uiWithMainWindow() {
        wxTheApp->SetTopWindow(main_);
        ShowAndActivate(*main_);
    }
    ~uiWithMainWindow() override {
        wxTheApp->SetTopWindow(nullptr);
        main_->Destroy();
        PumpFor(20);
    }
    wxFrame* main_ = new wxFrame(nullptr, wxID_ANY, "Veilbox");
};

}  // namespace

TEST(uiMessageBox, EachButtonSetHasItsButtonsAndOnlyYesNoIgnoresEscapeAndTheCloseBox) {
    const struct {
        unsigned style;
        const char* labels;
        int firstResult, secondResult;  // second: also Escape and the close box, but on Yes/No
    } sets[] = {
        {MB_OK | MB_ICONINFORMATION, "OK", IDOK, IDCANCEL},
        {MB_OKCANCEL, "OK/Cancel", IDOK, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, "Yes/No", IDYES, IDNO},
        {MB_RETRYCANCEL | MB_ICONSTOP, "Retry/Cancel", IDRETRY, IDCANCEL},
        {3 /* yes, no and cancel: never asked, a plain OK box */, "OK", IDOK, IDCANCEL},
    };
    for (const auto& set : sets) {
        SCOPED_TRACE(set.labels);
        wxString labels;
        EXPECT_EQ(set.firstResult, RunBox(set.style, [&](CMessageBoxDlg& box) {
            labels = box.FirstButton().GetLabel() + (box.SecondButton().IsShown() ? "/" + box.SecondButton().GetLabel() : "");
            ClickMiddle(box.FirstButton());
        }));
        EXPECT_EQ(set.labels, labels);
        if (labels.Contains("/")) {  // clicked, or focused and Enter pressed
            EXPECT_EQ(set.secondResult, RunBox(set.style, [](CMessageBoxDlg& box) { ClickMiddle(box.SecondButton()); }));
            EXPECT_EQ(set.secondResult, RunBox(set.style, [](CMessageBoxDlg& box) {
                box.SecondButton().SetFocus();
                SendKey(box, wxEVT_CHAR_HOOK, WXK_RETURN);
            }));
        }
        for (bool escape : {true, false}) {
            bool stayed = false;
            EXPECT_EQ(set.secondResult, RunBox(set.style, [&](CMessageBoxDlg& box) {
                escape ? SendKey(box, wxEVT_CHAR_HOOK, WXK_ESCAPE) : void(box.Close());
                stayed = box.IsModal();
                if (stayed) ClickMiddle(box.SecondButton());
            }));
            EXPECT_EQ(set.secondResult == IDNO, stayed) << (escape ? "Escape" : "close box");
        }
    }
}

TEST_F(uiWithMainWindow, BoxesTakeTheMainWindowsCaptionAndTheCoresTextWithItsLineBreaks) {
    wxString caption, text;
    ModalScript script([&](wxDialog& dialog) {
        caption = dialog.GetTitle();
        text = dynamic_cast<CMessageBoxDlg&>(dialog).Text();
        dialog.Close();
    });
    EXPECT_EQ(IDCANCEL, WxUserInterface().ShowMessageBox("Mail client running.\r\n\r\nRetry? \xc3\xa9", MB_RETRYCANCEL));
    EXPECT_EQ("Veilbox", caption);
    EXPECT_EQ(wxString::FromUTF8("Mail client running.\n\nRetry? \xc3\xa9"), text);
}

TEST(uiUserPort, PasswordRequestGivesTheMaskedEntryOnOkOnlyAndForgetsIt) {
    std::string password = "untouched";
    wxTextCtrl* field = nullptr;
    bool enter = false;
    ModalScript script([&](wxDialog& dialog) {
        auto& asked = dynamic_cast<CRecoveryPasswordDlg&>(dialog);
        field = &asked.PasswordField();
        EXPECT_TRUE(field->HasFlag(wxTE_PASSWORD));
        field->ChangeValue(wxString::FromUTF8("s3cret p\xc3\xa4ss"));
        enter ? SendKey(asked, wxEVT_CHAR_HOOK, WXK_RETURN) : ClickMiddle(asked.CancelButton());
    });
    EXPECT_FALSE(WxUserInterface().RequestPassword("Enter the old password", password));
    EXPECT_EQ("untouched", password);
    enter = true;
    CRecoveryPasswordDlg dialog("Enter the old password");
    EXPECT_TRUE(dialog.Run(password));
    EXPECT_EQ("s3cret p\xc3\xa4ss", password);
    EXPECT_TRUE(field->GetValue().empty());
}

TEST_F(uiWithMainWindow, ProgressCancelEscapeAndCloseBoxRaiseOneRequestAndTheWindowStays) {
    CProgressDlg dlg;
    SendKey(dlg, wxEVT_CHAR_HOOK, WXK_RETURN);
    EXPECT_FALSE(dlg.TakeCancelRequest());
    ClickMiddle(dlg.CancelButton());
    ClickMiddle(dlg.CancelButton());
    EXPECT_TRUE(dlg.TakeCancelRequest());
    EXPECT_FALSE(dlg.TakeCancelRequest()) << "presses between two chunks are one request";
    SendKey(dlg, wxEVT_CHAR_HOOK, WXK_ESCAPE);
    EXPECT_TRUE(dlg.TakeCancelRequest());
    dlg.Close();
    EXPECT_TRUE(dlg.TakeCancelRequest());
    EXPECT_TRUE(dlg.IsShown());
    // Queued like input from the display: only the pumping of the work delivers it.
    dlg.CallAfter([&dlg] { dlg.CancelButton().Click(); });
    dlg.SetPos(10);
    EXPECT_TRUE(dlg.TakeCancelRequest());
    dlg.CallAfter([&dlg] { dlg.CancelButton().Click(); });
    EXPECT_TRUE(dlg.TakeCancelRequest());
}

TEST_F(uiWithMainWindow, ProgressDisablesItsOwnerWhileItLivesAndTheEraseStageHasNoCancel) {
    {
        std::unique_ptr<ProgressWindow> window = WxUserInterface().CreateProgressWindow();
        auto& dlg = dynamic_cast<CProgressDlg&>(*window);
        EXPECT_EQ(main_, dlg.Owner());
        EXPECT_FALSE(main_->IsEnabled());
        window->HideCancelButton();
        EXPECT_FALSE(dlg.CancelButton().IsShown());
    }
    EXPECT_TRUE(main_->IsEnabled());
    // A window that was disabled already is not the dialog's to enable.
    main_->Disable();
    { CProgressDlg dlg; }
    EXPECT_FALSE(main_->IsEnabled());
}
