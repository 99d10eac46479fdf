// The application object: prepares the process, handles the /uninstall switch, runs
// the main window for as long as the program lives and decides the exit code.
#pragma once

#include <memory>

#include <wx/app.h>


class CShellApp : public wxApp {
public:
    CShellApp();
    ~CShellApp() override;

    bool OnInit() override;
    // Runs the main window; returns the process exit code.
    int OnRun() override;
    int OnExit() override;

private:
    bool uninstallRequest_ = false;
    // An uninstall with nothing hidden has done its work in OnInit: no window then.
    bool runMainWindow_ = true;
};
