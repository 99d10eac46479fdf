// Takes a picture of every page of the main window and of every dialog into a folder:
//   veilbox-screenshots FOLDER              with two identities of the mail client
//   veilbox-screenshots FOLDER one-identity with one: the question of the start-up
// scripts/screenshots.sh runs it on a virtual display in a private home and registry
// where msimn has made the identities. Exits 1 when a picture could not be taken.
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include "app/PageAddress.h"
#include "app/SetupRules.h"
#include "base/FileLocations.h"
#include "base/OperationResult.h"
#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "password/PasswordRules.h"
#include "platform/Shell.h"
#include "store/Container.h"
#include "ui/CChangePasswordDlg.h"
#include "ui/CHoverButton.h"
#include "ui/CMainDlg.h"
#include "ui/CMessageBoxDlg.h"
#include "ui/CPasswordDlg.h"
#include "ui/CRecoveryPasswordDlg.h"
#include "ui/CSetupDlg.h"
#include "ui/WxUserInterface.h"

namespace {

std::string folder;
int missing = 0;

void Pump(int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
        wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
        wxMilliSleep(10);
    }
}

// The window's rectangle of the screen, as folder/name.png.
void Shoot(wxWindow& window, const std::string& name) {
    Pump(500);
    const wxRect r = window.GetScreenRect();
    const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "+" + std::to_string(r.x) + "+" + std::to_string(r.y) +
                                " +repage '" + folder + "/" + name + ".png'";
    const bool taken = std::system(command.c_str()) == 0;
    std::cout << (taken ? "took " : "could not take ") << name << std::endl;
    missing += taken ? 0 : 1;
}

// Runs action on each modal dialog, from inside its own loop, while it lives.
class OnDialog : public wxModalDialogHook {
public:
    explicit OnDialog(std::function<void(wxDialog&)> action) : action_(std::move(action)) { Register(); }
    ~OnDialog() override { Unregister(); }

private:
    int Enter(wxDialog* dialog) override {
        dialog->CallAfter([this, dialog] { action_(*dialog); });
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
    std::function<void(wxDialog&)> action_;
};

// The main window, knowing which of the program's pages has loaded last.
class MainWindow {
public:
    explicit MainWindow(bool shown = true) {
        window_->WebView().Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) {
            event.Skip();
            const std::string name = GetPageName(event.GetURL().utf8_string(), GetModulePath());
            // After the window's own handler has filled the page.
            if (!name.empty()) window_->CallAfter([this, name] { loaded_ = name; });
        });
        window_->Show(shown);
    }
    ~MainWindow() { window_->Destroy(); }
    CMainDlg& operator*() { return *window_; }
    CMainDlg* operator->() { return window_; }

    void Shows(const std::string& page, const std::string& name) {
        const std::string pageName = GetPageName(window_->PageAddress(page), GetModulePath());
        for (int waited = 0; waited < 15000 && loaded_ != pageName; waited += 20) Pump(20);
        if (loaded_ != pageName) std::cout << page << " did not load" << std::endl;
        Shoot(*window_, name);
    }
    void ShowPage(const std::string& page, const std::string& name) {
        loaded_.clear();
        window_->NavigateToPage(page + ".htm");
        Shows(page, name);
    }

private:
    CMainDlg* window_ = new CMainDlg;
    std::string loaded_;
};

// At start-up the question comes before the main window shows.
void TakeStartQuestion() {
    MainWindow main(false);
    OnDialog no([&](wxDialog& box) {
        Shoot(box, "msgbox_tour_question");
        dynamic_cast<CMessageBoxDlg&>(box).SecondButton().Click();
    });
    main->Start();
}

// A message box over the main window; pointAtFirst puts the pointer on its first button.
// A box larger than the main window is taken alone.
void TakeBox(MainWindow& main, const std::string& text, unsigned style, const std::string& name,
             bool pointAtFirst = false) {
    OnDialog take([&](wxDialog& dialog) {
        CHoverButton& first = dynamic_cast<CMessageBoxDlg&>(dialog).FirstButton();
        wxUIActionSimulator pointer;
        if (pointAtFirst) pointer.MouseMove(first.GetScreenRect().GetPosition() + first.GetSize() / 2);
        const bool larger = dialog.GetSize().x > main->GetSize().x || dialog.GetSize().y > main->GetSize().y;
        Shoot(larger ? static_cast<wxWindow&>(dialog) : *main, name);
        pointer.MouseMove(1, 1);
        first.Click();
    });
    WxUserInterface().ShowMessageBox(text, style);
}

void TakeEverything(WxUserInterface& ui) {
    MainWindow main;
    main->Start();
    main.Shows("welcome", "page_welcome");
    for (const char* page : {"tour", "tour1", "tour2", "help", "support"}) {
        main.ShowPage(page, std::string("page_") + page);
    }
    main.ShowPage("done", "page_done_restored");
    OperationResult = ResultCopyError;
    main.ShowPage("error", "page_error");
    OperationResult = ResultUnspecified;
    // The message boxes and the progress open over the main page.
    main.ShowPage("index", "page_index");

    TakeBox(main, kSelectIdentityText, MessageStyle::Ok | MessageStyle::IconExclamation, "msgbox_ok");
    TakeBox(main, "Outlook Express is currently running. Please close Outlook Express and retry.",
            MessageStyle::RetryCancel | MessageStyle::IconStop, "msgbox_retry");
    TakeBox(main, kNoPasswordWarningText, MessageStyle::YesNo | MessageStyle::IconQuestion, "msgbox_yesno_hover", true);
    std::string files = "The message store is protected, but these unprotected files could not be erased:\r\n";
    for (int n = 1; n <= 20; ++n) {
        files += "\r\n/home/ann/.local/share/veilbox-demo/Private/Mail/Folder" + std::to_string(n) + ".dbx";
    }
    TakeBox(main, files + "\r\n\r\nPlease delete them yourself.", MessageStyle::Ok | MessageStyle::IconExclamation, "msgbox_files_left");
    {
        std::unique_ptr<ProgressWindow> progress = ui.CreateProgressWindow();
        progress->SetStatusText("Encrypting message store");
        progress->SetRange(0, 1000);
        progress->SetPos(375);
        Shoot(*main, "progress_37");
    }
    {
        OnDialog take([&](wxDialog& dialog) {
            auto& asked = dynamic_cast<CRecoveryPasswordDlg&>(dialog);
            asked.PasswordField().ChangeValue("secret");
            Shoot(*main, "password");
            asked.CancelButton().Click();
        });
        std::string ignored;
        ui.RequestPassword(
            "The message store was protected with a different password than the one in use now.\r\n"
            "Please enter the password that was in use when the identity was hidden.",
            ignored);
    }
    {
        CPasswordDlg prompt;
        prompt.PasswordField().ChangeValue("secret");
        prompt.Show();
        Shoot(prompt, "password_prompt");
    }
    {
        CChangePasswordDlg change;
        change.OldPasswordField().ChangeValue("old");
        change.NewPasswordField().ChangeValue("new one");
        change.Show();
        Shoot(change, "change_password");
    }
    {
        // The second identity the script made is the one to protect.
        const IdentityCatalogue catalogue = IdentityCatalogue::Read();
        for (size_t n = 0; n < catalogue.Count(); ++n) {
            if (catalogue.At(n).Username == "Private") (void)SetGuardId(catalogue.At(n).KeyName);
        }
        CSetupDlg setup(SecurityHigh);
        setup.Show();
        for (int waited = 0; setup.HelpPage() && setup.HelpPage()->GetCurrentTitle() != "Setup help" && waited < 15000;
             waited += 50) {
            Pump(50);
        }
        Pump(1000);
        Shoot(setup, "setup");
    }
    // Hidden: the protected identity's container is there.
    std::ofstream(GetContainerPath()) << "container";
    main.ShowPage("done", "page_done_hidden");
    main.ShowPage("index", "page_index_restore");
    std::remove(GetContainerPath().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: veilbox-screenshots FOLDER [one-identity]\n";
        return 2;
    }
    folder = argv[1];
    // Without GPU access WebKit's compositing can leave the page blank.
    setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) return 2;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        setenv(kApplicationNameVariable, "veilbox", 1);
        // The password record of the private home, not one beside this program.
        setenv(kAuthRecordVariable, (platform::EnvironmentValue("HOME") + "/auth.dat").c_str(), 1);
        WxUserInterface ui;
        if (argc > 2 && std::string(argv[2]) == "one-identity") {
            TakeStartQuestion();
        } else {
            TakeEverything(ui);
        }
        Pump(100);
    }
    wxEntryCleanup();
    return missing == 0 ? 0 : 1;
}
