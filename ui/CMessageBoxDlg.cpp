#include "ui/CMessageBoxDlg.h"

#include <wx/artprov.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "base/UserInterface.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"

namespace {

// The box is a fixed layout in dialog units.
constexpr int BoxWidth = 272, BoxHeight = 137;

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
    auto* message = new wxStaticText(this, MessageId, text_, DuPoint(53, 7), DuSize(212, 85),
                                     wxST_NO_AUTORESIZE);
    message->Wrap(DuSize(212, 85).x);
    auto* separator = new wxWindow(this, wxID_ANY, DuPoint(7, 105), DuSize(258, 1));
    first_ = new CHoverButton(this, FirstButtonId, "Button1", DuPoint(59, 116), DuSize(50, 14));
    second_ = new CHoverButton(this, SecondButtonId, "Button2", DuPoint(162, 116), DuSize(50, 14));

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
