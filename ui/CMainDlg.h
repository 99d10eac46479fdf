// The program's one window: a web view that fills it and shows the program's
// embedded pages. Links of the form act://<name> on those pages are the user's
// commands; every other link navigates as usual. The decisions live in the core
// (StartupPlan, PageCommand, PageFilling, PageCommands); this class wires the
// window's events to them.
#pragma once

#include <memory>
#include <string>

#include <wx/dialog.h>

#include "app/CommandHost.h"
#include "ui/WxUserInterface.h"

class wxWebView;
class wxWebViewEvent;

class CMainDlg : public wxDialog, public CommandHost {
public:
    CMainDlg();
    ~CMainDlg() override;

    // The whole life of the program: the start-up checks (password prompt, the mail
    // client's identities, the first page), then the modal run. MessageAnswer::Cancel when the
    // start-up ends the run before any page is shown.
    int Run();
    // The start-up checks alone, up to asking for the first page; false when the run
    // ends there. Run uses it; tests drive the window without a modal loop.
    bool Start();
    // How the run ended (MessageAnswer::Cancel, or 0 for a page command that ends the program);
    // -1 while it goes on.
    int EndResult() const { return endResult_; }
    // The exit code the program must end with when the password prompt gave up after
    // the third wrong entry; 0 otherwise.
    int QuitExitCode() const { return quitExitCode_; }

    UserInterface& User() override { return ui_; }
    void NavigateToPage(const std::string& page) override;
    void RunSetup() override;

    // Sets the inner HTML of the element with this id in the loaded page; false when
    // the page has no such element.
    bool SetElementHtml(const std::string& id, const std::string& html);

    bool IsTourOnly() const { return tourOnly_; }
    wxWebView& WebView() { return *webView_; }
    // The address of a page of this program.
    std::string PageAddress(const std::string& page) const;

private:
    WxUserInterface ui_;
    void OnNavigating(wxWebViewEvent& event);
    void OnDocumentComplete(wxWebViewEvent& event);
    void FillPage(const std::string& pageName);
    void RunPageCommand(int command);
    void OnCloseWindow(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void EndRun(int result);

    std::string programPath_;
    wxWebView* webView_ = nullptr;
    bool tourOnly_ = false;
    int endResult_ = -1;
    int quitExitCode_ = 0;
};
