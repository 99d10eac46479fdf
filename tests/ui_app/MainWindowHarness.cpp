#include "MainWindowHarness.h"

#include <algorithm>
#include <chrono>

#include <wx/webview.h>

#include "WxTestSupport.h"
#include "base/FileLocations.h"
#include "app/PageAddress.h"
#include "password/PasswordRecord.h"

MainWindowTest::MainWindowTest() { SetAuthRecordPathForTesting(home_.file("auth.dat")); }

MainWindowTest::~MainWindowTest() {
    if (window_) {
        window_->Destroy();
        PumpFor(50);
    }
    SetAuthRecordPathForTesting("");
}

CMainDlg& MainWindowTest::Open() {
    if (window_) {
        window_->Destroy();
        PumpFor(50);
    }
    loaded_.clear();
    failedUrls_.clear();
    window_ = new CMainDlg;
    // Bound after the window's own handler, so it runs first; it lets the event go on
    // to the window, which fills the page before the loop returns to the test.
    window_->WebView().Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) {
        event.Skip();
        const std::string name = GetPageName(event.GetURL().utf8_string(), GetModulePath());
        if (!name.empty()) window_->CallAfter([this, name] { loaded_.push_back(name); });
    });
    window_->WebView().Bind(wxEVT_WEBVIEW_ERROR, [this](wxWebViewEvent& event) {
        event.Skip();
        failedUrls_.push_back(event.GetURL().utf8_string());
    });
    window_->Show();
    return *window_;
}

bool MainWindowTest::OpenAndStart() { return Open().Start(); }

bool MainWindowTest::WaitForPage(const std::string& pageName, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (std::find(loaded_.begin(), loaded_.end(), pageName) != loaded_.end()) return true;
        PumpFor(20);
    }
    return false;
}

std::string MainWindowTest::ElementHtml(const std::string& id) {
    wxString html;
    window_->WebView().RunScript("(function () { var e = document.getElementById('" + id +
                                     "'); return e ? e.innerHTML : '<none>'; })()",
                                 &html);
    return html.utf8_string();
}

void MainWindowTest::ClickLink(const std::string& href) {
    window_->WebView().RunScript("document.querySelector('[href=\"" + href + "\"]').click()");
}

void MainWindowTest::Pump(int milliseconds) { PumpFor(milliseconds); }
