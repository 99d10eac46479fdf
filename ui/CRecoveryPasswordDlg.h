// Asks for a password the program needs once more, with the reason given by the
// caller: a masked field, OK and Cancel.
#pragma once

#include <string>

#include "ui/CBaseDlg.h"

class CHoverButton;
class wxTextCtrl;

class CRecoveryPasswordDlg : public CBaseDlg {
public:
    enum ControlId { OkId = 1, CancelId = 2, PromptId = 1001, PasswordId = 1002 };

    explicit CRecoveryPasswordDlg(const wxString& prompt);

    // Runs the dialog modally. On OK the entered text goes to password and true is
    // returned; the field is emptied either way so the text lingers nowhere.
    bool Run(std::string& password);

    wxTextCtrl& PasswordField() { return *field_; }
    CHoverButton& OkButton() { return *ok_; }
    CHoverButton& CancelButton() { return *cancel_; }

private:
    wxTextCtrl* field_ = nullptr;
    CHoverButton* ok_ = nullptr;
    CHoverButton* cancel_ = nullptr;
};
