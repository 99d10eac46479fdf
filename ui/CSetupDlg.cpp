#include "ui/CSetupDlg.h"

#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/webview.h>

#include "base/UserInterface.h"
#include "ui/WxUserInterface.h"
#include "identities/Settings.h"
#include "app/SetupRules.h"
#include "ui/CChangePasswordDlg.h"
#include "platform/Shell.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"
#include "ui/PageAlerts.h"

namespace {

constexpr int DlgWidth = 381, DlgHeight = 231;

void OpenChangePasswordDialog() {
    CChangePasswordDlg dialog;
    dialog.ShowModal();
}

}  // namespace

CSetupDlg::CSetupDlg(int level, wxWindow* parent) : CBaseDlg(parent, "Setup", DlgWidth, DlgHeight) {
    CreateControls();
    SetLevel(level);
    DialogCtlColor(*this);
    ApplyButtonStyle(*changePassword_, 0);
    ApplyButtonStyle(*ok_, 0);
    ApplyButtonStyle(*cancel_, 0);
    FillIdentityList();

    Bind(wxEVT_BUTTON, &CSetupDlg::OnChangePassword, this, ChangePasswordId);
    Bind(wxEVT_BUTTON, &CSetupDlg::OnOk, this, OkId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(MessageAnswer::Cancel); }, CancelId);
    CentreOverOwner();
}

void CSetupDlg::CreateControls() {
    list_ = new wxListBox(this, IdentityListId, DuPoint(209, 17), DuSize(166, 70), 0, nullptr, wxLB_SINGLE);
    // The frame goes first so that GTK draws the level buttons over it.
    new wxStaticBox(this, wxID_ANY, "Security level", DuPoint(209, 97), DuSize(166, 80));
    levels_[SecurityLow] = AddLevelButton(LowId, "Low", 113, 29, wxRB_GROUP);
    levels_[SecurityMedium] = AddLevelButton(MediumId, "Medium", 135, 41);
    levels_[SecurityHigh] = AddLevelButton(HighId, "High", 157, 31);
    noLevel_ = new wxRadioButton(this, wxID_ANY, wxString(), DuPoint(213, 113), wxSize(1, 1));
    noLevel_->Hide();
    changePassword_ = new CHoverButton(this, ChangePasswordId, "Change password", DuPoint(255, 190), DuSize(65, 14));
    ok_ = new CHoverButton(this, OkId, "OK", DuPoint(207, 210), DuSize(33, 14));
    cancel_ = new CHoverButton(this, CancelId, "Cancel", DuPoint(333, 210), DuSize(40, 14));
    new wxStaticText(this, wxID_ANY, "Select an identity to protect", DuPoint(209, 7), DuSize(165, 8),
                     wxST_NO_AUTORESIZE);
    CreateHelpPage();
    const struct {
        const char* text;
        int y;
    } descriptions[] = {
        {"Hide identity, do not encrypt message store", 111},
        {"Hide identity and encrypt message store", 132},
        {"Hide identity, encrypt message store and shred the original", 155},
    };
    for (const auto& description : descriptions) {
        auto* text = new wxStaticText(this, wxID_ANY, description.text, DuPoint(255, description.y), DuSize(110, 17),
                                      wxST_NO_AUTORESIZE);
        text->Wrap(DuSize(110, 17).x);
    }
    ok_->SetDefault();
}

void CSetupDlg::FillIdentityList() {
    catalogue_ = IdentityCatalogue::Read();
    for (const std::string& line : IdentityLines(catalogue_)) list_->Append(wxString::FromUTF8(line));
    const int selected = ProtectedIdentityLine(catalogue_);
    if (selected >= 0) list_->SetSelection(selected);
    undoFocusSelection_ = selected < 0;
    list_->Bind(wxEVT_SET_FOCUS, &CSetupDlg::OnListFocus, this);
    list_->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) {
        listTouched_ = true;
        event.Skip();
    });
    list_->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
        listTouched_ = true;
        event.Skip();
    });
}

int CSetupDlg::Level() const {
    for (int level = SecurityLow; level <= SecurityHigh; ++level) {
        if (levels_[level]->GetValue()) return level;
    }
    return -1;
}

void CSetupDlg::SetLevel(int level) {
    const int button = LevelButtonFor(level);
    (button < 0 ? noLevel_ : levels_[button])->SetValue(true);
}

wxRadioButton* CSetupDlg::AddLevelButton(int id, const wxString& label, int y, int widthDu, long style) {
    auto* button = new wxRadioButton(this, id, label, DuPoint(213, y), DuSize(widthDu, 10), style);
    // GTK cannot draw a radio button lower than its indicator; such a button keeps its
    // place and width and takes the height it needs.
    const int needed = button->GetBestSize().y;
    if (needed > button->GetSize().y) button->SetSize(wxSize(button->GetSize().x, needed));
    return button;
}

void CSetupDlg::OnListFocus(wxFocusEvent& event) {
    event.Skip();
    if (!undoFocusSelection_) return;
    undoFocusSelection_ = false;
    // GTK selects after this handler; the undoing waits until it has.
    CallAfter([this] {
        if (!listTouched_) list_->SetSelection(wxNOT_FOUND);
    });
}

void CSetupDlg::CreateHelpPage() {
    // The help page is text only: its bytes are handed to the view directly, so no
    // address scheme has to be set up for it.
    const platform::Resource page = platform::FindEmbeddedResource("HTML", "setup.htm");
    if (!page || !wxWebView::IsBackendAvailable(wxWebViewBackendDefault)) return;
    helpPage_ = wxWebView::New(this, HelpPageId, wxWebViewDefaultURLStr, DuPoint(0, 0), DuSize(192, 231));
    if (!helpPage_) return;
    helpPage_->EnableContextMenu(false);
    ShowPageAlertsInMessageBox(*helpPage_);
    helpPage_->SetPage(wxString::FromUTF8(reinterpret_cast<const char*>(page.data), page.size), wxString());
}

void CSetupDlg::OnChangePassword(wxCommandEvent&) { OpenChangePasswordDialog(); }

void CSetupDlg::OnOk(wxCommandEvent&) {
    const int line = list_->GetSelection();
    WxUserInterface ui;
    if (ConfirmSetup(ui, catalogue_, line == wxNOT_FOUND ? -1 : line, Level(), OpenChangePasswordDialog))
        Finish(MessageAnswer::Ok);
}

void RunSetup() {
    WxUserInterface ui;
    if (RefuseSetupWhileHidden(ui)) return;
    CSetupDlg dialog(GetSecurityLevel());
    dialog.ShowModal();
}
