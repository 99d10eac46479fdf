#include "ui/CBaseDlg.h"

#include <wx/app.h>
#include <wx/font.h>

#include "base/UserInterface.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"

CBaseDlg::CBaseDlg(wxWindow* parent, const wxString& title, int widthDu, int heightDu)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    // Layouts are given in units of this font, so it is set before anything is measured.
    SetFont(wxFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS)));
    SetBackgroundColour(DialogBrush().GetColour());
    SetClientSize(DuSize(widthDu, heightDu));
    Bind(wxEVT_CHAR_HOOK, &CBaseDlg::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &CBaseDlg::OnCloseWindow, this);
}

void CBaseDlg::Finish(int result) {
    finished_ = true;
    SetReturnCode(result);
    if (IsModal()) {
        EndModal(result);
    } else {
        Hide();
    }
}

wxString CBaseDlg::MainWindowCaption() const {
    wxWindow* main = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    return main && main != this ? main->GetLabel() : wxString();
}

wxPoint CBaseDlg::DuPoint(int x, int y) const {
    return ConvertDialogToPixels(wxPoint(x, y));
}

wxSize CBaseDlg::DuSize(int width, int height) const {
    return ConvertDialogToPixels(wxSize(width, height));
}

void CBaseDlg::CentreOverOwner() {
    wxWindow* owner = GetParentForModalDialog(GetParent(), GetWindowStyle());
    if (owner && owner != this) {
        const wxRect area = owner->GetScreenRect();
        SetPosition(wxPoint(area.x + (area.width - GetSize().x) / 2,
                            area.y + (area.height - GetSize().y) / 2));
    } else {
        CentreOnScreen();
    }
}

void CBaseDlg::FinishOkCancel(CHoverButton& ok, CHoverButton& cancel,
                              std::function<void(wxCommandEvent&)> onOk, wxWindow& first) {
    ok.SetDefault();
    DialogCtlColor(*this);
    ApplyButtonStyle(ok, 0);
    ApplyButtonStyle(cancel, 0);
    Bind(wxEVT_BUTTON, std::move(onOk), ok.GetId());
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(MessageAnswer::Cancel); }, cancel.GetId());
    CentreOverOwner();
    first.SetFocus();
}

void CBaseDlg::OnEscapeOrClose() { Finish(MessageAnswer::Cancel); }

void CBaseDlg::OnEnterKey() {
    auto* button = dynamic_cast<CHoverButton*>(FindFocus());
    if (!button || button->GetParent() != this) button = dynamic_cast<CHoverButton*>(GetDefaultItem());
    if (button && button->IsEnabled() && button->IsShown()) button->Click();
}

void CBaseDlg::OnCharHook(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            OnEscapeOrClose();
            return;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            OnEnterKey();
            return;
        default:
            event.Skip();
    }
}

void CBaseDlg::OnCloseWindow(wxCloseEvent& event) {
    finished_ = false;
    OnEscapeOrClose();
    // A dialog that stays open refuses the close; a forced close must still end it.
    if (!finished_) {
        if (event.CanVeto()) {
            event.Veto();
        } else {
            Finish(MessageAnswer::Cancel);
        }
    }
}
