// The setup dialog: which identity of the mail client is protected, at which security
// level, and the way to the password change. OK saves the identity (guardid) and then
// the level (secmode); Cancel, Escape and the close box save nothing. The left part
// shows the setup help page.
//
// The page commands open it through RunSetup(), which refuses while an identity is
// hidden.
#pragma once

#include "identities/IdentityCatalogue.h"
#include "ui/CBaseDlg.h"

class CHoverButton;
class wxListBox;
class wxRadioButton;
class wxWebView;

class CSetupDlg : public CBaseDlg {
public:
    enum ControlId {
        OkId = 1,
        CancelId = 2,
        HelpPageId = 1000,
        IdentityListId = 1003,
        ChangePasswordId = 1005,
        LowId = 1011,
        MediumId = 1012,
        HighId = 1013,
    };

    // level: the security level the buttons start with (the stored one).
    explicit CSetupDlg(int level, wxWindow* parent = nullptr);

    // The checked level button as a level (0 Low, 1 Medium, 2 High), -1 when none is.
    int Level() const;
    void SetLevel(int level);

    wxListBox& IdentityList() { return *list_; }
    wxRadioButton& LevelButton(int level) { return *levels_[level]; }
    CHoverButton& ChangePasswordButton() { return *changePassword_; }
    CHoverButton& OkButton() { return *ok_; }
    CHoverButton& CancelButton() { return *cancel_; }
    // Null when no web view could be made; the dialog works without its help.
    wxWebView* HelpPage() { return helpPage_; }

private:
    // The list as it was shown: a line's position is the identity's position in it.
    IdentityCatalogue catalogue_;
    void CreateControls();
    // One line per listed identity, the protected one selected.
    void FillIdentityList();
    wxRadioButton* AddLevelButton(int id, const wxString& label, int y, int widthDu, long style = 0);
    void CreateHelpPage();
    void OnListFocus(wxFocusEvent& event);
    void OnChangePassword(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);

    wxListBox* list_ = nullptr;
    wxWebView* helpPage_ = nullptr;
    wxRadioButton* levels_[3] = {};
    // GTK radio groups always have one button checked; this one, never shown, is
    // checked to have none of the three visible ones checked.
    wxRadioButton* noLevel_ = nullptr;
    CHoverButton* changePassword_ = nullptr;
    CHoverButton* ok_ = nullptr;
    CHoverButton* cancel_ = nullptr;
    // GTK selects the first line of a list the first time it takes the focus with no
    // line selected; these undo that, unless the user was clicking or typing in it.
    bool undoFocusSelection_ = false;
    bool listTouched_ = false;
};

// The setup command: while an identity is hidden the user is told that settings cannot
// change until it is restored; otherwise the dialog runs modally. Its result is not
// used.
void RunSetup();
