#include "ui/CRecoveryPasswordDlg.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "base/UserInterface.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"

namespace {
constexpr int DlgWidth = 220, DlgHeight = 86;
}

CRecoveryPasswordDlg::CRecoveryPasswordDlg(const wxString& prompt)
    : CBaseDlg(nullptr, wxString(), DlgWidth, DlgHeight) {
    auto* text = new wxStaticText(this, PromptId, prompt, DuPoint(7, 7), DuSize(206, 34),
                                  wxST_NO_AUTORESIZE);
    text->Wrap(DuSize(206, 34).x);
    field_ = new wxTextCtrl(this, PasswordId, wxString(), DuPoint(7, 44), DuSize(206, 12),
                            wxTE_PASSWORD);
    ok_ = new CHoverButton(this, OkId, "OK", DuPoint(52, 66), DuSize(50, 14));
    cancel_ = new CHoverButton(this, CancelId, "Cancel", DuPoint(118, 66), DuSize(50, 14));
    ok_->SetDefault();

    DialogCtlColor(*this);
    ApplyButtonStyle(*ok_, 0);
    ApplyButtonStyle(*cancel_, 0);
    SetTitle(MainWindowCaption());

    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(MessageAnswer::Ok); }, OkId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(MessageAnswer::Cancel); }, CancelId);
    CentreOverOwner();
    field_->SetFocus();
}

bool CRecoveryPasswordDlg::Run(std::string& password) {
    const bool ok = ShowModal() == MessageAnswer::Ok;
    if (ok) password = std::string(field_->GetValue().utf8_str());
    field_->Clear();
    return ok;
}
