#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include "WxTestSupport.h"
#include "ui/CMessageBoxDlg.h"
#include "base/UserInterface.h"
#include "ui/CHoverButton.h"
#include "ui/WxUserInterface.h"

namespace {

CMessageBoxDlg& AsBox(wxDialog& dialog) { return dynamic_cast<CMessageBoxDlg&>(dialog); }

// Shows a box modally and answers it with action; returns the box's result.
int RunBox(unsigned style, std::function<void(CMessageBoxDlg&)> action,
           const wxString& text = "Are you sure?") {
    ModalScript script([&](wxDialog& dialog) { action(AsBox(dialog)); });
    CMessageBoxDlg box(text, style);
    return box.ShowModal();
}

void PressEscape(wxDialog& dialog) { SendKey(dialog, wxEVT_CHAR_HOOK, WXK_ESCAPE); }

struct ButtonSet {
    unsigned style;
    const char* first;
    int firstResult;
    const char* second;  // null when the box has one button
    int secondResult;
};

const ButtonSet kSets[] = {
    {MB_OK | MB_ICONINFORMATION, "OK", IDOK, nullptr, 0},
    {MB_OKCANCEL, "OK", IDOK, "Cancel", IDCANCEL},
    {MB_YESNO | MB_ICONQUESTION, "Yes", IDYES, "No", IDNO},
    {MB_RETRYCANCEL | MB_ICONSTOP, "Retry", IDRETRY, "Cancel", IDCANCEL},
};

}  // namespace

TEST(uiMessageBox, EachButtonSetShowsItsButtonsAndAnswersWithTheirResults) {
    for (const ButtonSet& set : kSets) {
        SCOPED_TRACE(set.first);
        bool secondShown = false;
        wxString firstLabel, secondLabel;
        int result = RunBox(set.style, [&](CMessageBoxDlg& box) {
            firstLabel = box.FirstButton().GetLabel();
            secondLabel = box.SecondButton().GetLabel();
            secondShown = box.SecondButton().IsShown();
            ClickMiddle(box.FirstButton());
        });
        EXPECT_EQ(set.firstResult, result);
        EXPECT_EQ(set.first, firstLabel);
        EXPECT_EQ(set.second != nullptr, secondShown);
        if (!set.second) continue;
        EXPECT_EQ(set.second, secondLabel);
        result = RunBox(set.style, [](CMessageBoxDlg& box) { ClickMiddle(box.SecondButton()); });
        EXPECT_EQ(set.secondResult, result);
    }
}

TEST(uiMessageBox, EscapeAndCloseBoxCancelEveryBoxButYesNo) {
    for (unsigned style : {MB_OK, MB_OKCANCEL, MB_RETRYCANCEL}) {
        EXPECT_EQ(IDCANCEL, RunBox(style, PressEscape)) << style;
        EXPECT_EQ(IDCANCEL, RunBox(style, [](CMessageBoxDlg& box) { box.Close(); })) << style;
    }
}

TEST(uiMessageBox, YesNoBoxIgnoresEscapeAndCloseBox) {
    bool openAfterEscape = false, openAfterClose = false;
    int result = RunBox(MB_YESNO, [&](CMessageBoxDlg& box) {
        PressEscape(box);
        openAfterEscape = box.IsModal();
        box.Close();
        openAfterClose = box.IsModal();
        ClickMiddle(box.SecondButton());
    });
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(openAfterClose);
    EXPECT_EQ(IDNO, result);
}

TEST(uiMessageBox, EnterPressesTheFocusedButton) {
    EXPECT_EQ(IDYES, RunBox(MB_YESNO, [](CMessageBoxDlg& box) {
        box.FirstButton().SetFocus();
        SendKey(box, wxEVT_CHAR_HOOK, WXK_RETURN);
    }));
    EXPECT_EQ(IDCANCEL, RunBox(MB_RETRYCANCEL, [](CMessageBoxDlg& box) {
        box.SecondButton().SetFocus();
        SendKey(box, wxEVT_CHAR_HOOK, WXK_RETURN);
    }));
}

TEST(uiMessageBox, SingleOkButtonIsCentred) {
    RunBox(MB_OK, [](CMessageBoxDlg& box) {
        const int free = box.GetClientSize().x - box.FirstButton().GetSize().x;
        EXPECT_EQ(free / 2, box.FirstButton().GetPosition().x);
        PressEscape(box);
    });
}

TEST(uiMessageBox, CaptionIsTheMainWindowsTitleOrEmpty) {
    wxString caption = "unset";
    RunBox(MB_OK, [&](CMessageBoxDlg& box) {
        caption = box.GetTitle();
        PressEscape(box);
    });
    EXPECT_EQ("", caption);

    auto* main = new wxFrame(nullptr, wxID_ANY, "Veilbox");
    wxTheApp->SetTopWindow(main);
    RunBox(MB_OK, [&](CMessageBoxDlg& box) {
        caption = box.GetTitle();
        PressEscape(box);
    });
    wxTheApp->SetTopWindow(nullptr);
    main->Destroy();
    PumpFor(20);
    EXPECT_EQ("Veilbox", caption);
}

TEST(uiMessageBox, UserInterfaceShowsTheBoxWithTheCoresText) {
    WxUserInterface ui;
    wxString shown;
    ModalScript script([&](wxDialog& dialog) {
        shown = AsBox(dialog).Text();
        ClickMiddle(AsBox(dialog).FirstButton());
    });
    EXPECT_EQ(IDRETRY, ui.ShowMessageBox("Mail client running.\r\n\r\nRetry? \xc3\xa9", MB_RETRYCANCEL));
    EXPECT_EQ(wxString::FromUTF8("Mail client running.\n\nRetry? \xc3\xa9"), shown);
}
