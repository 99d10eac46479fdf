#include "ui/CChangePasswordDlg.h"

#include <algorithm>

#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "base/UserInterface.h"
#include "ui/WxUserInterface.h"
#include "password/PasswordRules.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"
#include "ui/ScopedSecret.h"

namespace {

constexpr int DlgWidth = 239, DlgHeight = 71;

// The toolkit's fonts run wider than the ones the layout was measured in. A label that
// does not fit keeps its right edge next to its field and reaches into the margin on
// its left; one that still does not fit is set a point smaller, down to 6 points.
void AddLabel(CBaseDlg& dialog, const wxString& text, const wxPoint& at, const wxSize& size) {
    auto* label = new wxStaticText(&dialog, wxID_ANY, text, at, size, wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
    const int right = at.x + size.x;
    const int room = right - 2;
    wxFont font = label->GetFont();
    while (label->GetTextExtent(text).x > room && font.GetPointSize() > 6) {
        font.SetPointSize(font.GetPointSize() - 1);
        label->SetFont(font);
    }
    const int width = std::min(room, std::max(size.x, label->GetTextExtent(text).x));
    label->SetSize(right - width, at.y, width, size.y);
}

}  // namespace

CChangePasswordDlg::CChangePasswordDlg() : CBaseDlg(nullptr, "Change password", DlgWidth, DlgHeight) {
    old_ = new wxTextCtrl(this, OldPasswordId, wxString(), DuPoint(87, 7), DuSize(68, 14), wxTE_PASSWORD);
    new_ = new wxTextCtrl(this, NewPasswordId, wxString(), DuPoint(87, 29), DuSize(68, 14), wxTE_PASSWORD);
    confirmation_ =
        new wxTextCtrl(this, ConfirmationId, wxString(), DuPoint(87, 51), DuSize(68, 14), wxTE_PASSWORD);
    ok_ = new CHoverButton(this, OkId, "OK", DuPoint(182, 7), DuSize(50, 14));
    cancel_ = new CHoverButton(this, CancelId, "Cancel", DuPoint(182, 29), DuSize(50, 14));
    AddLabel(*this, "Confirm new password:", DuPoint(7, 54), DuSize(77, 8));
    AddLabel(*this, "Enter your old password:", DuPoint(7, 10), DuSize(77, 8));
    AddLabel(*this, "Specify new password:", DuPoint(7, 32), DuSize(77, 8));
    FinishOkCancel(*ok_, *cancel_, [this](wxCommandEvent& event) { OnOk(event); }, *old_);
}

CChangePasswordDlg::~CChangePasswordDlg() {
    for (wxTextCtrl* field : {old_, new_, confirmation_}) field->ChangeValue(wxString());
}

void CChangePasswordDlg::OnOk(wxCommandEvent&) {
    const ScopedSecret oldPassword(*old_);
    const ScopedSecret newPassword(*new_);
    const ScopedSecret confirmation(*confirmation_);
    switch (CheckPasswordChange(oldPassword.Text(), newPassword.Text(), confirmation.Text())) {
        case PasswordChangeCheck::OldPasswordRejected:
            OnOldPasswordRejected();
            return;
        case PasswordChangeCheck::ConfirmationDiffers:
            OnConfirmationDiffers();
            return;
        case PasswordChangeCheck::TurnsPasswordOff:
            if (WxUserInterface().ShowMessageBox(
                    kDisablePasswordQuestion, MessageStyle::YesNo | MessageStyle::IconQuestion) != MessageAnswer::Yes)
                return;
            break;
        case PasswordChangeCheck::Ready:
            break;
    }
    // When the new password cannot be saved the user has been told; the dialog stays
    // open with what was typed, to try again or to cancel.
    WxUserInterface ui;
    if (SaveNewPassword(ui, newPassword.Text())) Finish(MessageAnswer::Ok);
}

void CChangePasswordDlg::OnOldPasswordRejected() {
    {
        wxBusyCursor wait;
        wxMilliSleep(WrongPasswordDelayMs);
    }
    old_->SetFocus();
    old_->SelectAll();
    WxUserInterface().ShowMessageBox(kOldPasswordWrongText, MessageStyle::Ok);
}

void CChangePasswordDlg::OnConfirmationDiffers() {
    new_->ChangeValue(wxString());
    confirmation_->ChangeValue(wxString());
    new_->SetFocus();
    WxUserInterface().ShowMessageBox(kPasswordsDifferText, MessageStyle::Ok);
}
