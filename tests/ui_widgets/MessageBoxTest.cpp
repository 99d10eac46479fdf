// The program's message box and the other windows the core asks for through the user port.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "WxTestSupport.h"
#include "base/UserInterface.h"
#include "ui/CHoverButton.h"
#include "ui/CMessageBoxDlg.h"
#include "ui/CRecoveryPasswordDlg.h"
#include "ui/WxUserInterface.h"

namespace {

// Shows a box modally, lets action answer it and returns the box's result.
int RunBox(unsigned style, const std::function<void(CMessageBoxDlg&)>& action) {
    ModalScript script([&](wxDialog& dialog) { action(dynamic_cast<CMessageBoxDlg&>(dialog)); });
    return CMessageBoxDlg("Are you sure?", style).ShowModal();
}

const struct {
    unsigned style;
    const char *first, *second;  // second is null on a box with one button
    int firstResult, secondResult;
} kSets[] = {
    {MB_OK | MB_ICONINFORMATION, "OK", nullptr, IDOK, IDCANCEL},
    {MB_OKCANCEL, "OK", "Cancel", IDOK, IDCANCEL},
    {MB_YESNO | MB_ICONQUESTION, "Yes", "No", IDYES, IDNO},
    {MB_RETRYCANCEL | MB_ICONSTOP, "Retry", "Cancel", IDRETRY, IDCANCEL},
    {3 /* yes, no and cancel: never asked, a plain OK box */, "OK", nullptr, IDOK, IDCANCEL},
};

}  // namespace

TEST(uiMessageBox, EachButtonSetHasItsButtonsAndOnlyYesNoIgnoresEscapeAndTheCloseBox) {
    for (const auto& set : kSets) {
        SCOPED_TRACE("style " + std::to_string(set.style));
        wxString labels;
        EXPECT_EQ(set.firstResult, RunBox(set.style, [&](CMessageBoxDlg& box) {
            labels = box.FirstButton().GetLabel() + (box.SecondButton().IsShown() ? "/" + box.SecondButton().GetLabel() : "");
            ClickMiddle(box.FirstButton());
        }));
        EXPECT_EQ(std::string(set.first) + (set.second ? std::string("/") + set.second : ""), labels);
        if (set.second) {
            EXPECT_EQ(set.secondResult, RunBox(set.style, [](CMessageBoxDlg& box) { ClickMiddle(box.SecondButton()); }));
        }

        const bool yesNo = (set.style & MB_TYPEMASK) == MB_YESNO;
        for (bool escape : {true, false}) {
            bool stayed = false;
            EXPECT_EQ(set.secondResult, RunBox(set.style, [&](CMessageBoxDlg& box) {
                escape ? SendKey(box, wxEVT_CHAR_HOOK, WXK_ESCAPE) : void(box.Close());
                stayed = box.IsModal();
                if (stayed) ClickMiddle(box.SecondButton());
            }));
            EXPECT_EQ(yesNo, stayed) << (escape ? "Escape" : "close box");
        }
    }
}

TEST(uiMessageBox, EnterPressesTheFocusedButtonAndALoneOkIsCentred) {
    EXPECT_EQ(IDCANCEL, RunBox(MB_RETRYCANCEL, [](CMessageBoxDlg& box) {
        box.SecondButton().SetFocus();
        SendKey(box, wxEVT_CHAR_HOOK, WXK_RETURN);
    }));
    int left = -1, centred = -2;
    EXPECT_EQ(IDOK, RunBox(MB_OK, [&](CMessageBoxDlg& box) {
        left = box.FirstButton().GetPosition().x;
        centred = (box.GetClientSize().x - box.FirstButton().GetSize().x) / 2;
        SendKey(box, wxEVT_CHAR_HOOK, WXK_RETURN);
    }));
    EXPECT_EQ(centred, left);
}

TEST(uiUserPort, BoxesTakeTheMainWindowsCaptionAndTheCoresTextWithItsLineBreaks) {
    WxUserInterface ui;
    wxString caption = "unset", text;
    ModalScript script([&](wxDialog& dialog) {
        caption = dialog.GetTitle();
        text = dynamic_cast<CMessageBoxDlg&>(dialog).Text();
        dialog.Close();
    });
    ui.ShowMessageBox("x", MB_OK);
    EXPECT_EQ("", caption);

    auto* main = new wxFrame(nullptr, wxID_ANY, "Veilbox");
    wxTheApp->SetTopWindow(main);
    EXPECT_EQ(IDCANCEL, ui.ShowMessageBox("Mail client running.\r\n\r\nRetry? \xc3\xa9", MB_RETRYCANCEL));
    wxTheApp->SetTopWindow(nullptr);
    main->Destroy();
    EXPECT_EQ("Veilbox", caption);
    EXPECT_EQ(wxString::FromUTF8("Mail client running.\n\nRetry? \xc3\xa9"), text);
}

TEST(uiUserPort, PasswordRequestGivesTheMaskedEntryOnOkOnlyAndForgetsIt) {
    WxUserInterface ui;
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
    EXPECT_FALSE(ui.RequestPassword("Enter the old password", password));
    EXPECT_EQ("untouched", password);
    enter = true;
    CRecoveryPasswordDlg dialog("Enter the old password");
    EXPECT_TRUE(dialog.Run(password));
    EXPECT_EQ("s3cret p\xc3\xa4ss", password);
    EXPECT_TRUE(field->GetValue().empty());
}
