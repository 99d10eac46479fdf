// The start-up password prompt. When a password is set, the user gets three tries to
// enter it; the accepted text becomes the CurrentPassword, from which the store cipher
// derives its keys. When no password is set the prompt ends with OK before it is ever
// shown.
//
// The main window calls RunPasswordPrompt() once while it starts, before any page.
#pragma once

#include "password/PasswordAttempts.h"
#include "ui/CBaseDlg.h"

class CHoverButton;
class wxTextCtrl;

class CPasswordDlg : public CBaseDlg {
public:
    enum ControlId { OkId = 1, CancelId = 2, PasswordId = 1001 };
    // How the modal run ends after the third wrong entry: the program has to quit, with
    // QuitExitCode as its exit code.
    static constexpr int QuitResult = wxID_EXIT;
    static constexpr int QuitExitCode = 1;

    CPasswordDlg();
    ~CPasswordDlg() override;

    // MessageAnswer::Ok at once, without showing anything, when no password is set; otherwise the
    // modal prompt: MessageAnswer::Ok (accepted), MessageAnswer::Cancel (Cancel, Escape, close box) or QuitResult.
    int ShowModal() override;

    wxTextCtrl& PasswordField() { return *field_; }
    CHoverButton& OkButton() { return *ok_; }
    CHoverButton& CancelButton() { return *cancel_; }
    int Rejections() const { return attempts_.Rejections(); }

private:
    void OnOk(wxCommandEvent& event);

    wxTextCtrl* field_ = nullptr;
    CHoverButton* ok_ = nullptr;
    CHoverButton* cancel_ = nullptr;
    PasswordAttempts attempts_;
};

// Runs the prompt. True when the program may go on (the password was accepted, or none
// is set). On false the program must end; exitCode, when given, receives the code to end
// with: CPasswordDlg::QuitExitCode after the third wrong entry, 0 after Cancel.
bool RunPasswordPrompt(int* exitCode = nullptr);
