#include "ui/CPasswordDlg.h"

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
constexpr int DlgWidth = 186, DlgHeight = 95;
}

CPasswordDlg::CPasswordDlg() : CBaseDlg(nullptr, "Authentication", DlgWidth, DlgHeight) {
    field_ = new wxTextCtrl(this, PasswordId, wxString(), DuPoint(65, 37), DuSize(54, 14), wxTE_PASSWORD);
    ok_ = new CHoverButton(this, OkId, "OK", DuPoint(37, 74), DuSize(50, 14));
    cancel_ = new CHoverButton(this, CancelId, "Cancel", DuPoint(109, 74), DuSize(50, 14));
    new wxStaticText(this, wxID_ANY, "Please enter your password here", DuPoint(41, 26), DuSize(104, 8),
                     wxST_NO_AUTORESIZE);
    FinishOkCancel(*ok_, *cancel_, [this](wxCommandEvent& event) { OnOk(event); }, *field_);
}

CPasswordDlg::~CPasswordDlg() { field_->ChangeValue(wxString()); }

int CPasswordDlg::ShowModal() {
    if (!IsPasswordSet()) {
        SetReturnCode(MessageAnswer::Ok);
        return MessageAnswer::Ok;
    }
    return CBaseDlg::ShowModal();
}

void CPasswordDlg::OnOk(wxCommandEvent&) {
    PasswordAttempts::Outcome outcome;
    {
        wxBusyCursor wait;
        const ScopedSecret entered(*field_);
        outcome = attempts_.Submit(entered.Text());
        if (outcome == PasswordAttempts::Outcome::Accepted) {
            Finish(MessageAnswer::Ok);
            return;
        }
        wxMilliSleep(WrongPasswordDelayMs);
    }
    // The entry stays, selected, so that the next keystroke replaces it.
    field_->SetFocus();
    field_->SelectAll();
    WxUserInterface().ShowMessageBox(kWrongPasswordText, MessageStyle::Ok);
    if (outcome == PasswordAttempts::Outcome::OutOfTries) Finish(QuitResult);
}

bool RunPasswordPrompt(int* exitCode) {
    CPasswordDlg prompt;
    const int result = prompt.ShowModal();
    if (exitCode) *exitCode = result == CPasswordDlg::QuitResult ? CPasswordDlg::QuitExitCode : 0;
    return result == MessageAnswer::Ok;
}
