#include "ui/CMessageBoxDlg.h"

#include <algorithm>

#include <wx/artprov.h>
#include <wx/dcclient.h>
#include <wx/gdicmn.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "base/UserInterface.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"

namespace {

// The box's layout in dialog units, for a text that fits the message area; a longer
// text makes the area, and the box with it, larger.
constexpr int BoxWidth = 272, BoxHeight = 137;
constexpr int AreaWidth = 212, AreaHeight = 85;
// The most of the screen's work area the box may take, in percent.
constexpr int MostOfTheScreen = 85;

wxArtID IconFor(unsigned style) {
    switch (style & MessageStyle::IconMask) {
        case MessageStyle::IconStop:
            return wxART_ERROR;
        case MessageStyle::IconQuestion:
            return wxART_QUESTION;
        case MessageStyle::IconInformation:
            return wxART_INFORMATION;
        // No icon bits (or any other value) still shows the exclamation mark, so a
        // plain box never looks like an empty one.
        default: return wxART_WARNING;
    }
}

}  // namespace

CMessageBoxDlg::CMessageBoxDlg(const wxString& text, unsigned style)
    : CBaseDlg(nullptr, "Dialog", BoxWidth, BoxHeight), style_(style) {
    text_ = text;
    // Callers write line breaks the Windows way.
    text_.Replace("\r\n", "\n");

    icon_ = new wxStaticBitmap(this, IconId, wxArtProvider::GetBitmap(IconFor(style_), wxART_MESSAGE_BOX),
                               DuPoint(7, 7), DuSize(20, 20));
    const wxSize grown = CreateMessageArea() - DuSize(AreaWidth, AreaHeight);
    SetClientSize(DuSize(BoxWidth, BoxHeight) + grown);
    // Everything below the message moves down by what it grew; the buttons stay centred.
    const auto below = [&](int x, int y) { return DuPoint(x, y) + wxPoint(grown.x / 2, grown.y); };
    auto* separator = new wxWindow(this, wxID_ANY, DuPoint(7, 105) + wxPoint(0, grown.y),
                                   DuSize(258, 1) + wxSize(grown.x, 0));
    first_ = new CHoverButton(this, FirstButtonId, "Button1", below(59, 116), DuSize(50, 14));
    second_ = new CHoverButton(this, SecondButtonId, "Button2", below(162, 116), DuSize(50, 14));

    DialogCtlColor(*this);
    separator->SetBackgroundColour(*wxBLACK);
    // The buttons are first styled by their own ids (which have no icons), then by
    // the role of the set below, which replaces icons and colours.
    ApplyButtonStyle(*first_, 0);
    ApplyButtonStyle(*second_, 0);

    // A set of two buttons: each one's label and role, left to right.
    const auto showPair = [this](const char* firstLabel, int firstRole, const char* secondLabel,
                                 int secondRole) {
        first_->SetLabel(firstLabel);
        ApplyButtonStyle(*first_, firstRole);
        second_->SetLabel(secondLabel);
        ApplyButtonStyle(*second_, secondRole);
    };
    switch (ButtonSet()) {
        case MessageStyle::OkCancel:
            showPair("OK", MessageAnswer::Ok, "Cancel", MessageAnswer::Cancel);
            break;
        case MessageStyle::YesNo:
            showPair("Yes", MessageAnswer::Yes, "No", MessageAnswer::No);
            break;
        case MessageStyle::RetryCancel:
            showPair("Retry", MessageAnswer::Retry, "Cancel", MessageAnswer::Cancel);
            break;
        default:
            first_->SetLabel("OK");
            second_->Hide();
            ApplyButtonStyle(*first_, MessageAnswer::Ok);
            first_->SetPosition(wxPoint((GetClientSize().x - first_->GetSize().x) / 2,
                                        first_->GetPosition().y));
            break;
    }

    // The caption is always the program's name, taken from its main window.
    SetTitle(MainWindowCaption());

    Bind(wxEVT_BUTTON, &CMessageBoxDlg::OnFirstButton, this, FirstButtonId);
    Bind(wxEVT_BUTTON, &CMessageBoxDlg::OnSecondButton, this, SecondButtonId);
    CentreOverOwner();
    first_->SetFocus();
}

wxSize CMessageBoxDlg::CreateMessageArea() {
    const wxSize least = DuSize(AreaWidth, AreaHeight);
    auto* area = new wxScrolledWindow(this, wxID_ANY, DuPoint(53, 7), least);
    message_ = new wxStaticText(area, MessageId, text_, wxPoint(0, 0));
    message_->Wrap(least.x);
    // Measured in the box's font: before the box is shown the label's own best size may
    // still be that of the toolkit's default font.
    wxClientDC dc(message_);
    dc.SetFont(GetFont());
    const wxSize text = dc.GetMultiLineTextExtent(message_->GetLabel()) + wxSize(2, 2);
    message_->SetSize(text);

    // As large as the text, never smaller than the layout, at most what leaves the box
    // within most of the screen; beyond that the text scrolls.
    const wxRect screen = wxGetClientDisplayRect();
    const wxSize frame = GetSize() - GetClientSize() + DuSize(BoxWidth, BoxHeight) - least;
    const wxSize most(std::max(screen.width * MostOfTheScreen / 100 - frame.x, least.x),
                      std::max(screen.height * MostOfTheScreen / 100 - frame.y, least.y));
    wxSize size(std::clamp(text.x, least.x, most.x), std::clamp(text.y, least.y, most.y));
    // A scroll bar takes room from the text beside or below it.
    const int bar = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
    if (text.y > size.y) size.x = std::min(size.x + bar, most.x);
    if (text.x > size.x) size.y = std::min(size.y + bar, most.y);
    area->SetSize(size);
    area->SetVirtualSize(text);
    area->SetScrollRate(message_->GetCharHeight() / 2, message_->GetCharHeight());
    return size;
}

unsigned CMessageBoxDlg::ButtonSet() const {
    // Sets the program never asks for (abort/retry/ignore, yes/no/cancel) fall back
    // to a plain OK box rather than a box with missing buttons.
    const unsigned set = style_ & MessageStyle::TypeMask;
    return set == MessageStyle::OkCancel || set == MessageStyle::YesNo || set == MessageStyle::RetryCancel
               ? set
               : MessageStyle::Ok;
}

void CMessageBoxDlg::OnFirstButton(wxCommandEvent&) {
    switch (ButtonSet()) {
        case MessageStyle::YesNo:
            Finish(MessageAnswer::Yes);
            break;
        case MessageStyle::RetryCancel:
            Finish(MessageAnswer::Retry);
            break;
        default:
            Finish(MessageAnswer::Ok);
            break;
    }
}

void CMessageBoxDlg::OnSecondButton(wxCommandEvent&) {
    Finish(ButtonSet() == MessageStyle::YesNo ? MessageAnswer::No : MessageAnswer::Cancel);
}

void CMessageBoxDlg::OnEscapeOrClose() {
    if (ButtonSet() != MessageStyle::YesNo) Finish(MessageAnswer::Cancel);
}
