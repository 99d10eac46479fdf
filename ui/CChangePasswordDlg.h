// Where the program password is set, changed or turned off: the old password, the new
// one typed twice, and a question before the password is turned off (an empty new
// password). The setup dialog opens it; its result is not used there.
#pragma once

#include "ui/CBaseDlg.h"

class CHoverButton;
class wxTextCtrl;

class CChangePasswordDlg : public CBaseDlg {
public:
    enum ControlId { OkId = 1, CancelId = 2, ConfirmationId = 1004, OldPasswordId = 1005, NewPasswordId = 1006 };

    CChangePasswordDlg();
    ~CChangePasswordDlg() override;

    wxTextCtrl& OldPasswordField() { return *old_; }
    wxTextCtrl& NewPasswordField() { return *new_; }
    wxTextCtrl& ConfirmationField() { return *confirmation_; }
    CHoverButton& OkButton() { return *ok_; }
    CHoverButton& CancelButton() { return *cancel_; }

private:
    void OnOk(wxCommandEvent& event);
    void OnOldPasswordRejected();
    void OnConfirmationDiffers();

    wxTextCtrl* old_ = nullptr;
    wxTextCtrl* new_ = nullptr;
    wxTextCtrl* confirmation_ = nullptr;
    CHoverButton* ok_ = nullptr;
    CHoverButton* cancel_ = nullptr;
};
