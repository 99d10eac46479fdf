// Drives the main window in-process: starts it without a modal loop, records which of
// the program's pages have loaded, and reads the page back through the web view.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ShellFixture.h"
#include "ui/CMainDlg.h"

class MainWindowTest : public ShellFixture {
protected:
    MainWindowTest();
    ~MainWindowTest() override;

    // A new main window that records its loaded pages; the previous one is closed.
    CMainDlg& Open();
    // Open() and Start(); the result of Start.
    bool OpenAndStart();
    // Waits until the page has loaded (and been filled); false after a timeout.
    bool WaitForPage(const std::string& pageName, int timeoutMs = 15000);
    // The inner HTML of an element of the loaded page; "<none>" when it is missing.
    std::string ElementHtml(const std::string& id);
    // Clicks the first link of the page with this address, as the user would.
    void ClickLink(const std::string& href);
    void Pump(int milliseconds);

    CMainDlg* window_ = nullptr;
    std::vector<std::string> loaded_;       // page names, in order of loading
    std::vector<std::string> failedUrls_;   // addresses the web view could not load
};
