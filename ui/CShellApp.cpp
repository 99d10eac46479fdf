#include "ui/CShellApp.h"

#include <string>
#include <vector>

#include <wx/utils.h>

#include "ui/CMainDlg.h"
#include "ui/CMessageBoxDlg.h"
#include "base/UserInterface.h"
#include "password/PasswordRecord.h"
#include "base/FileLocations.h"
#include "app/UninstallCleanup.h"
#include "app/UninstallRequest.h"
#include "identities/Settings.h"
#include "store/Container.h"
#include "app/PageCommands.h"
#include "store/StoreWorkflows.h"
#include "ui/DialogLook.h"
#include "platform/EmbeddedBrowser.h"

namespace {

void PrepareWebEngine() {
    // A privacy tool leaves no browsing data behind: its pages are viewed privately.
    (void)platform::MakeEmbeddedBrowsersEphemeral();
    // Without GPU access (Xvfb, remote X) WebKitGTK's accelerated compositing can leave
    // the page blank; plain drawing is fast enough for these pages. A value the user
    // set wins.
    wxString ignored;
    if (!wxGetEnv("WEBKIT_DISABLE_COMPOSITING_MODE", &ignored)) wxSetEnv("WEBKIT_DISABLE_COMPOSITING_MODE", "1");
}

}  // namespace

CShellApp::CShellApp() = default;

CShellApp::~CShellApp() = default;

bool CShellApp::OnInit() {
    PrepareWebEngine();
    // The dialog look (ivory brush and colours) is made once for the whole run.
    DialogBrush();
    SetAppName(wxString::FromUTF8(GetApplicationName()));
    // Older versions kept the password record beside the program. Should the move fail,
    // that record stays in force where it is, so nothing is lost either way.
    (void)MoveAuthRecordToUserData();
    // A hide or restore that died (power cut, kill) may have left a half-written
    // container or plain copies of mail that were never put in place.
    CleanLeftovers(MakeRunRequest());

    std::vector<std::string> arguments;
    std::vector<const char*> argv;
    for (int i = 0; i < this->argc; ++i) arguments.push_back(this->argv[i].utf8_string());
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    uninstallRequest_ = IsUninstallRequest(this->argc, argv.data());

    if (uninstallRequest_) {
        if (!IsIdentityHidden()) {
            RemoveProgramRegistryData();
            runMainWindow_ = false;
            return true;
        }
        // No window of the program exists yet, so the box has the caption the system
        // gives a box that names none; it is the program's own box, which shows the
        // stop sign on every desktop.
        CMessageBoxDlg refusal(UninstallRefusedText, MessageStyle::Ok | MessageStyle::IconStop);
        refusal.SetTitle("Error");
        refusal.ShowModal();
    }
    return true;
}

int CShellApp::OnRun() {
    int runExitCode = 0;
    if (runMainWindow_) {
        auto* main = new CMainDlg;
        main->Run();
        runExitCode = main->QuitExitCode();
        SetTopWindow(nullptr);
        main->Destroy();
        // Let the window's deferred destruction happen while the toolkit is up.
        while (Pending()) Dispatch();
        ProcessIdle();
    }
    return GetExitCodeAfterRun(uninstallRequest_, runExitCode);
}

int CShellApp::OnExit() {
    return wxApp::OnExit();
}
