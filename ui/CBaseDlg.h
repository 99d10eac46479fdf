// What every dialog of the program has in common: the ivory look, the small dialog
// font that its layouts are measured in (positions and sizes in dialog units), and
// one place where Escape, the close box and Enter arrive.
#pragma once

#include <functional>

#include <wx/dialog.h>

class CHoverButton;

class CBaseDlg : public wxDialog {
public:
    // The client area is widthDu × heightDu dialog units of the dialog font.
    CBaseDlg(wxWindow* parent, const wxString& title, int widthDu, int heightDu);

    // Ends a modal run with result, or hides a modeless dialog.
    void Finish(int result);

protected:
    // The caption of the program's main window (its name); empty when there is none.
    wxString MainWindowCaption() const;
    wxPoint DuPoint(int x, int y) const;
    wxSize DuSize(int width, int height) const;
    // Puts the dialog in the middle of the window it belongs to, or of the screen.
    void CentreOverOwner();
    // The last steps of building a dialog answered with OK or Cancel: OK is the default
    // button, the dialog and both buttons take their look, OK's click goes to onOk and
    // Cancel's ends the dialog with MessageAnswer::Cancel; then the dialog is centred over its owner
    // and the focus goes to `first`.
    void FinishOkCancel(CHoverButton& ok, CHoverButton& cancel,
                        std::function<void(wxCommandEvent&)> onOk, wxWindow& first);

    // Escape and the close box. The default ends the dialog with MessageAnswer::Cancel; a
    // dialog that must be answered overrides it to do nothing.
    virtual void OnEscapeOrClose();
    // Enter: presses the button that has the focus, else the default button.
    virtual void OnEnterKey();

private:
    void OnCharHook(wxKeyEvent& event);
    void OnCloseWindow(wxCloseEvent& event);

    bool finished_ = false;
};
