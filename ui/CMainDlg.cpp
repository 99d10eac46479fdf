#include "ui/CMainDlg.h"

#include <wx/app.h>
#include <wx/iconbndl.h>
#include <wx/webview.h>

#include "base/FileLocations.h"
#include "app/PageAddress.h"
#include "app/PageCommand.h"
#include "app/PageCommands.h"
#include "app/PageFilling.h"
#include "app/ElementScript.h"
#include "app/StartupPlan.h"
#include "ui/StartupTrace.h"
#include "base/UserInterface.h"
#include "app/VersionString.h"
#include "ui/CSetupDlg.h"
#include "identities/MailClient.h"
#include "ui/CPasswordDlg.h"
#include "platform/Shell.h"
#include "ui/DialogLook.h"
#include "ui/PageAlerts.h"
#include "ui/ResourceImages.h"
#include "ui/ResourceSchemeHandler.h"

namespace {

constexpr int kWebViewId = 1000;
constexpr unsigned kBigIconId = 128;
constexpr unsigned kSmallIconId = 20009;
// The window's outer size in pixels; the pages are laid out for it.
const wxSize kWindowSize(590, 460);

}  // namespace

CMainDlg::CMainDlg()
    : wxDialog(nullptr, wxID_ANY, "Veilbox", wxDefaultPosition, kWindowSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      programPath_(GetModulePath()) {
    SetBackgroundColour(DialogBackgroundColour());
    // Every size of both icons goes to the window manager, which picks what it needs
    // (a title bar, a task switcher, a dock); for a size both have, the big icon's
    // image, added last, wins.
    wxIconBundle icons;
    for (unsigned id : {kSmallIconId, kBigIconId}) {
        for (const wxBitmap& bitmap : LoadIconImages(id)) {
            wxIcon icon;
            icon.CopyFromBitmap(bitmap);
            icons.AddIcon(icon);
        }
    }
    SetIcons(icons);

    // The scheme must be known before the first page is asked for.
    ServeProgramResources();
    webView_ = wxWebView::New();
    webView_->Create(this, kWebViewId, wxWebViewDefaultURLStr, wxPoint(0, 0), GetClientSize());
    webView_->EnableContextMenu(false);
    ShowPageAlertsInMessageBox(*webView_);
    webView_->Bind(wxEVT_WEBVIEW_NAVIGATING, &CMainDlg::OnNavigating, this);
    webView_->Bind(wxEVT_WEBVIEW_LOADED, &CMainDlg::OnDocumentComplete, this);
    // The web view fills the window whatever its size.
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        if (webView_) webView_->SetSize(GetClientSize());
    });
    Bind(wxEVT_CLOSE_WINDOW, &CMainDlg::OnCloseWindow, this);
    Bind(wxEVT_CHAR_HOOK, &CMainDlg::OnCharHook, this);
    SetSize(kWindowSize);
    CentreOnScreen();
}

CMainDlg::~CMainDlg() = default;

int CMainDlg::Run() {
    if (!Start()) return MessageAnswer::Cancel;
    return ShowModal();
}

bool CMainDlg::Start() {
    // Message boxes take the main window's caption, so it is the top window before
    // anything is asked.
    if (wxTheApp) wxTheApp->SetTopWindow(this);
    int quitExitCode = 0;
    if (!RunPasswordPrompt(&quitExitCode)) {
        endResult_ = MessageAnswer::Cancel;
        quitExitCode_ = quitExitCode;
        return false;
    }
    const StartupPlan plan = PlanStartup(ui_);
    if (!plan.run) {
        endResult_ = MessageAnswer::Cancel;
        return false;
    }
    tourOnly_ = plan.tourOnly;
    NavigateToPage(plan.firstPage);
    return true;
}

std::string CMainDlg::PageAddress(const std::string& page) const { return BuildPageAddress(programPath_, page); }

void CMainDlg::NavigateToPage(const std::string& page) { webView_->LoadURL(wxString::FromUTF8(PageAddress(page))); }

void CMainDlg::RunSetup() { ::RunSetup(); }

bool CMainDlg::SetElementHtml(const std::string& id, const std::string& html) {
    wxString found;
    if (!webView_->RunScript(wxString::FromUTF8(BuildSetElementHtmlScript(id, html)), &found)) return false;
    return found == "1";
}

void CMainDlg::OnDocumentComplete(wxWebViewEvent& event) {
    // The event also comes for the blank page the view starts on, for the page that
    // stays after a failed load, and for addresses outside the program: only the
    // program's own pages are filled.
    const std::string pageName = GetPageName(event.GetURL().utf8_string(), programPath_);
    if (pageName.empty()) return;
    FillPage(pageName);
    ReportPageLoaded(pageName);
}

void CMainDlg::FillPage(const std::string& pageName) {
    for (const ElementFilling& filling : GetPageFillings(pageName)) SetElementHtml(filling.id, filling.html);
}

void CMainDlg::OnNavigating(wxWebViewEvent& event) {
    const std::string url = event.GetURL().utf8_string();
    if (IsWebAddress(url)) {
        // Without a way back, a page from the network (or the error page of a missing
        // network) would trap the window: the user's browser shows it, and the page stays.
        event.Veto();
        (void)platform::OpenUrl(url);
        return;
    }
    const PageCommand command = FindPageCommand(url);
    if (command == PageCommand::None) return;
    event.Veto();
    // The command may run a long workflow with its own nested loops; it runs after
    // the browser has been told the navigation is cancelled.
    CallAfter([this, command] { RunPageCommand(static_cast<int>(command)); });
}

void CMainDlg::RunPageCommand(int value) {
    switch (static_cast<PageCommand>(value)) {
        case PageCommand::Setup:
            RunSetup();
            break;
        case PageCommand::Email:
            if (!platform::OpenUrl(BuildSupportMailUrl(GetBuildNumber(std::string())))) {
                ui_.ShowMessageBox(NoMailProgramText(), MessageStyle::Ok | MessageStyle::IconInformation);
            }
            break;
        case PageCommand::Exit:
            EndRun(0);
            break;
        case PageCommand::EndTour:
            if (tourOnly_) {
                EndRun(0);
            } else {
                NavigateToPage("index.htm");
            }
            break;
        case PageCommand::Hide:
            HideCommand(*this);
            break;
        case PageCommand::Restore:
            RestoreCommand(*this);
            break;
        case PageCommand::StartMailClient:
            // The client opens over the whole screen, as the user expects it back.
            (void)platform::StartProgram(MailClient::kExecutable, platform::WindowShow::Maximized);
            break;
        case PageCommand::None:
            break;
    }
}

void CMainDlg::EndRun(int result) {
    endResult_ = result;
    if (IsModal()) {
        EndModal(result);
    } else {
        Hide();
    }
}

void CMainDlg::OnCloseWindow(wxCloseEvent&) { EndRun(MessageAnswer::Cancel); }

void CMainDlg::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
        EndRun(MessageAnswer::Cancel);
        return;
    }
    event.Skip();
}
