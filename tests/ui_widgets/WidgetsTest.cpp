// The program's own widgets: the hover button, the message box, the password request and
// the progress dialog, the last three as the core asks for them through the user port.
#include <memory>

#include <wx/dcmemory.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "WxTestSupport.h"
#include "ui/CProgressDlg.h"
#include "ui/CRecoveryPasswordDlg.h"
#include "ui/DialogLook.h"
#include "ui/WxUserInterface.h"

namespace {

// The program's main window as the widgets see it: shown, active, the owner of progress
// dialogs and the caption of boxes; in it an edit field, OK, a label and Cancel in tab order.
class uiWidgets : public ::testing::Test {
protected:
    uiWidgets() {
        for (CHoverButton* b : {ok_, cancel_}) ApplyButtonStyle(*b, 0);
        wxTheApp->SetTopWindow(main_);
        ShowAndActivate(*main_);
        main_->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) { clicks_.push_back(e.GetId()); });
    }
    ~uiWidgets() override {
        wxTheApp->SetTopWindow(nullptr);
        main_->Destroy();
        PumpFor(20);
    }
    static wxPoint Middle(wxWindow& w) { return {w.GetClientSize().x / 2, w.GetClientSize().y / 2}; }

    wxDialog* main_ = new wxDialog(nullptr, wxID_ANY, "Veilbox", wxDefaultPosition, wxSize(400, 200));
    wxTextCtrl* field_ = new wxTextCtrl(main_, 1010, "", wxPoint(10, 10), wxSize(100, 25));
    CHoverButton* ok_ = new CHoverButton(main_, MessageAnswer::Ok, "OK", wxPoint(10, 60), wxSize(90, 28));
    wxStaticText* label_ = new wxStaticText(main_, wxID_ANY, "label", wxPoint(10, 150));
    CHoverButton* cancel_ = new CHoverButton(main_, MessageAnswer::Cancel, "Cancel", wxPoint(110, 60), wxSize(90, 28));
    std::vector<int> clicks_;
};

// Shows a box modally, lets action answer it and returns the box's result.
int RunBox(unsigned style, const std::function<void(CMessageBoxDlg&)>& action) {
    ModalScript script([&](wxDialog& dialog) { action(dynamic_cast<CMessageBoxDlg&>(dialog)); });
    return CMessageBoxDlg("Are you sure?", style).ShowModal();
}

}  // namespace

TEST_F(uiWidgets, ClicksOnReleaseOverTheButtonOrSpaceNeverWhenDisabledAndTheFocusPassesOn) {
    // Pressed, dragged off and released outside: no click.
    SendMouse(*ok_, wxEVT_LEFT_DOWN, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_MOTION, wxPoint(-20, -20), true);
    SendMouse(*ok_, wxEVT_LEFT_UP, wxPoint(-20, -20), false);
    EXPECT_TRUE(clicks_.empty());
    // A quick second click arrives as a double click and still counts.
    ClickMiddle(*ok_);
    SendMouse(*ok_, wxEVT_LEFT_DCLICK, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_LEFT_UP, Middle(*ok_), false);
    SendKey(*cancel_, wxEVT_KEY_DOWN, WXK_SPACE);
    EXPECT_EQ(2u, clicks_.size()) << "the space bar clicks on release";
    SendKey(*cancel_, wxEVT_KEY_UP, WXK_SPACE);
    EXPECT_EQ(clicks_, (std::vector<int>{MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Cancel}));
    ok_->SetFocus();
    ok_->Disable();
    PumpFor(20);
    EXPECT_TRUE(cancel_->HasFocus()) << "the label between takes no focus";
    cancel_->Disable();
    PumpFor(20);
    EXPECT_TRUE(field_->HasFocus()) << "after the last control the search wraps round";
    ClickMiddle(*cancel_);
    EXPECT_EQ(3u, clicks_.size());
    EXPECT_FALSE(ok_->SetColor(CHoverButton::SlotCount, *wxGREEN, true));
}

TEST(uiMessageBox, EachButtonSetHasItsButtonsAndOnlyYesNoIgnoresEscapeAndTheCloseBox) {
    const struct {
        unsigned style;
        const char* labels;
        int firstResult, secondResult;  // second: also Escape and the close box, but on Yes/No
    } sets[] = {
        {MessageStyle::Ok | MessageStyle::IconInformation, "OK", MessageAnswer::Ok, MessageAnswer::Cancel},
        {MessageStyle::OkCancel, "OK/Cancel", MessageAnswer::Ok, MessageAnswer::Cancel},
        {MessageStyle::YesNo | MessageStyle::IconQuestion, "Yes/No", MessageAnswer::Yes, MessageAnswer::No},
        {MessageStyle::RetryCancel | MessageStyle::IconStop, "Retry/Cancel", MessageAnswer::Retry,
         MessageAnswer::Cancel},
        {3 /* yes, no and cancel: never asked, a plain OK box */, "OK", MessageAnswer::Ok, MessageAnswer::Cancel},
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
            EXPECT_EQ(set.secondResult == MessageAnswer::No, stayed) << (escape ? "Escape" : "close box");
        }
    }
}

// Twenty paths that could not be erased: the box grows until the text's last line and
// its longest line are in sight, and no further than the screen.
TEST(uiMessageBox, ALongTextIsShownToItsLastLine) {
    std::string paths = "These unprotected files could not be erased:\r\n";
    for (int n = 1; n <= 20; ++n) paths += "\r\n/home/ann/.local/share/veilbox-demo/Private/Mail/Folder" + std::to_string(n) + ".dbx";
    CMessageBoxDlg box(paths + "\r\n\r\nPlease delete them yourself.", MessageStyle::Ok);
    box.Show();
    PumpFor(50);
    auto* message = wxDynamicCast(box.FindWindow(CMessageBoxDlg::MessageId), wxStaticText);
    ASSERT_NE(nullptr, message);
    const wxRect text(message->GetScreenPosition(), message->GetBestSize());
    wxRect seen(message->GetParent()->GetScreenPosition(), message->GetParent()->GetClientSize());
    seen.Intersect(wxRect(box.GetScreenPosition(), box.GetClientSize()));
    EXPECT_TRUE(seen.Contains(text)) << "text " << text.x << "," << text.y << " " << text.width << "x" << text.height
                                     << ", shown " << seen.x << "," << seen.y << " " << seen.width << "x" << seen.height;
    EXPECT_LE(box.GetSize().y, wxGetClientDisplayRect().height);
}

TEST_F(uiWidgets, BoxesTakeTheMainWindowsCaptionAndTheCoresTextWithItsLineBreaks) {
    wxString caption, text;
    ModalScript script([&](wxDialog& dialog) {
        caption = dialog.GetTitle();
        text = dynamic_cast<CMessageBoxDlg&>(dialog).Text();
        dialog.Close();
    });
    EXPECT_EQ(MessageAnswer::Cancel, WxUserInterface().ShowMessageBox("Mail client running.\r\n\r\nRetry? \xc3\xa9",
                                                                      MessageStyle::RetryCancel));
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

TEST_F(uiWidgets, ProgressCancelEscapeAndCloseBoxRaiseOneRequestAndTheWindowStays) {
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

// The owner is disabled while the dialog lives; the erase stage has no Cancel.
TEST_F(uiWidgets, ProgressOwnerAndEraseStage) {
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
