// The main window in-process on the real web view, and /uninstall run on the real program.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

#include <wx/textctrl.h>
#include <wx/webview.h>

#include "support/World.h"
#include "WxTestSupport.h"
#include "app/PageAddress.h"
#include "app/VersionString.h"
#include "base/FileLocations.h"
#include "base/OperationResult.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "platform/Registry.h"
#include "ui/CHoverButton.h"
#include "ui/CMainDlg.h"
#include "ui/CPasswordDlg.h"

namespace {

int RunCommand(const std::string& commandLine) {
    const int status = std::system(commandLine.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
std::string BuiltProgram(const std::string& name) { return std::string(VEILBOX_BINARY_DIR) + "/bin/" + name; }

// The shared world without the mail client's store, the settings under the program's
// name, and identities as a test adds them.
WorldSetup Bare() {
    WorldSetup setup;
    setup.mailClient = false;
    setup.scriptedUser = false;
    setup.applicationName = "Veilbox";
    return setup;
}

// A main window that records which of the program's pages have loaded and been filled.
class MainWindowTest : public ::testing::Test {
protected:
    ~MainWindowTest() override {
        if (window_) window_->Destroy();
        PumpFor(50);
    }
    bool OpenAndStart() {
        if (window_) window_->Destroy();
        loaded_.clear();
        window_ = new CMainDlg;
        // Bound after the window's own handler, so it runs first and lets the event go on
        // to the window, which fills the page before the loop comes back to the test.
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
        return window_->Start();
    }
    bool WaitForPage(const std::string& page) {
        for (int i = 0; i < 750 && std::find(loaded_.begin(), loaded_.end(), page) == loaded_.end(); ++i) PumpFor(20);
        return std::find(loaded_.begin(), loaded_.end(), page) != loaded_.end();
    }
    bool ShowPage(const std::string& page) {
        loaded_.clear();
        window_->NavigateToPage(page);
        return WaitForPage(GetPageName(window_->PageAddress(page), GetModulePath()));
    }
    std::string ElementHtml(const std::string& id) {
        wxString html;
        window_->WebView().RunScript("(function () { var e = document.getElementById('" + id +
                                         "'); return e ? e.innerHTML : '<none>'; })()", &html);
        return html.utf8_string();
    }
    // Follows a link of the page, as a click of the user does.
    void Follow(const std::string& href) {
        window_->WebView().RunScript("document.querySelector('[href=\"" + href + "\"]').click()");
    }
    void AddTwoIdentities() {
        world_.AddIdentity("{A}", "Main");
        world_.AddIdentity("{B}", "Private");
        ASSERT_TRUE(ClearFirstRun());
    }

    World world_{Bare()};
    CMainDlg* window_ = nullptr;
    std::vector<std::string> loaded_, failedUrls_;
};

struct StartCase {
    const char* name;
    int identities;  // "{A}" Main, then "{B}" Private
    bool hidden, firstRun;
    int wrongPasswords;  // with a password set, typed before Cancel; -1: no password
    std::vector<int> answers;
    const char* page;  // the first page, null when the run ends before any
    std::vector<std::pair<const char*, std::string>> holds;  // elements of that page and a part of each
    int endResult, exitCode;
    size_t messages;
    const char* message;  // how each message starts
};

const StartCase kStarts[] = {
    {"first run", 2, false, true, -1, {}, "welcome", {}, -1, 0, 0, nullptr},
    {"ordinary run", 2, false, false, -1, {}, "index", {{"act", "#id2_02_Map"}, {"ver", "<version>"}}, -1, 0, 0, nullptr},
    {"hidden identity, not counted", 1, true, false, -1, {}, "index", {{"act", "#id3_02_Map"}}, -1, 0, 0, nullptr},
    {"one identity: tour only", 1, false, true, -1, {IDYES}, "tour", {}, -1, 0, 1, "There is only one"},
    {"no identities, no tour", 0, false, true, -1, {IDNO}, nullptr, {}, IDCANCEL, 0, 1, "Could not find"},
    {"password prompt cancelled", 2, false, true, 0, {}, nullptr, {}, IDCANCEL, 0, 0, nullptr},
    {"three wrong passwords", 2, false, true, 3, {IDOK, IDOK, IDOK}, nullptr, {}, IDCANCEL, 1, 3, "The password you"},
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class MainWindowStart : public MainWindowTest, public ::testing::WithParamInterface<StartCase> {};

}  // namespace

TEST_P(MainWindowStart, ShowsTheFirstPageOfThePlanOrEndsBeforeAny) {
    const StartCase& c = GetParam();
    SCOPED_TRACE(c.name);
    if (c.identities > 0) world_.AddIdentity("{A}", "Main");
    if (c.identities > 1) world_.AddIdentity("{B}", "Private");
    if (c.hidden) world_.MarkHidden("{B}");
    if (!c.firstRun) {
        ASSERT_TRUE(ClearFirstRun());
    }
    if (c.wrongPasswords >= 0) world_.SetPassword("s3cret");
    ModalScript prompt([&](wxDialog& dialog) {
        auto* asked = dynamic_cast<CPasswordDlg*>(&dialog);
        ASSERT_NE(nullptr, asked);
        for (int n = 0; n < c.wrongPasswords; ++n) {
            asked->PasswordField().ChangeValue("wrong");
            asked->OkButton().Click();
        }
        if (asked->IsModal()) asked->CancelButton().Click();
    });
    for (int answer : c.answers) prompt.Answer({answer});
    EXPECT_EQ(c.page != nullptr, OpenAndStart());
    if (c.page) {
        ASSERT_TRUE(WaitForPage(c.page));
    }
    for (const auto& [id, part] : c.holds) {
        const std::string expected = part == "<version>" ? FormatVersionString("", 0) : part;
        EXPECT_NE(std::string::npos, ElementHtml(id).find(expected)) << ElementHtml(id);
    }
    PumpFor(300);
    EXPECT_EQ(c.page ? std::vector<std::string>{c.page} : std::vector<std::string>{}, loaded_);
    EXPECT_EQ(c.wrongPasswords >= 0 ? 1 : 0, prompt.Runs());
    EXPECT_EQ(c.exitCode, window_->QuitExitCode());
    ASSERT_EQ(c.messages, prompt.boxes.size());
    for (const auto& text : prompt.boxes) EXPECT_EQ(0u, text.find(c.message)) << text;
    // The welcome page is shown once; a run that only shows the tour keeps the mark.
    const std::string page = c.page ? c.page : "";
    EXPECT_EQ(c.firstRun && page != "welcome", IsFirstRun());
    EXPECT_EQ(page == "tour", window_->IsTourOnly());
    EXPECT_EQ(c.endResult, window_->EndResult());
    if (window_->IsTourOnly()) {
        Follow("act://endtour");
        PumpFor(500);
        EXPECT_EQ(0, window_->EndResult()) << "the end of the tour ends a tour-only run";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MainWindowStart, ::testing::ValuesIn(kStarts));

TEST_F(MainWindowTest, EndTourGoesBackExitEndsTheRunAndUnknownCommandsGoToTheBrowser) {
    AddTwoIdentities();
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    Follow("tour.htm");
    ASSERT_TRUE(WaitForPage("tour"));
    loaded_.clear();
    Follow("act://endtour");
    ASSERT_TRUE(WaitForPage("index"));
    window_->WebView().RunScript("location.href = 'act://unknown'");
    for (int i = 0; i < 100 && failedUrls_.empty(); ++i) PumpFor(50);
    EXPECT_EQ(std::vector<std::string>{"act://unknown"}, failedUrls_);
    EXPECT_EQ(-1, window_->EndResult());

    for (const char* exit : {"act://Exit", "act://exitnow"}) {
        ASSERT_TRUE(OpenAndStart());
        ASSERT_TRUE(WaitForPage("index"));
        failedUrls_.clear();
        window_->WebView().RunScript(std::string("location.href = '") + exit + "'");
        PumpFor(500);
        EXPECT_EQ(0, window_->EndResult()) << exit;
        EXPECT_TRUE(failedUrls_.empty()) << exit;
    }
}

TEST_F(MainWindowTest, LoadedPagesAreFilledWithTextThatArrivesIntact) {
    AddTwoIdentities();
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    OperationResult = ResultCopyError;
    ASSERT_TRUE(ShowPage("error.htm"));
    OperationResult = ResultUnspecified;
    EXPECT_EQ("Copy error", ElementHtml("descr"));
    ASSERT_TRUE(ShowPage("DONE.HTM"));
    EXPECT_EQ("<a href=\"act://msimn\">Click here</a> to start Outlook Express now.", ElementHtml("act"));

    const std::string tricky = "a \"quoted\" 'text' with \\ back\\slash, line\nbreak and \xC3\xA9";
    EXPECT_TRUE(window_->SetElementHtml("status", tricky));
    EXPECT_EQ(tricky, ElementHtml("status"));
    // Markup that tries to end the script stays text in the element.
    EXPECT_TRUE(window_->SetElementHtml("status", "x</script><b>y</b>"));
    EXPECT_EQ("x<b>y</b>", ElementHtml("status"));
    EXPECT_FALSE(window_->SetElementHtml("no-such-element", "z"));
}

// /uninstall on a copy of the real program, whose settings key is named after it, before
// any window exists.
TEST_F(MainWindowTest, UninstallRemovesTheProgramsKeysOrIsRefusedWhileAnIdentityIsHidden) {
    const std::string program = world_.home.path() + "/bin/veilbox";
    std::filesystem::create_directories(world_.home.path() + "/bin");
    std::filesystem::copy_file(BuiltProgram("veilbox"), program);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Orlen\\Veilbox\\main", &key));
    RegCloseKey(key);
    EXPECT_EQ(0, RunCommand("timeout 60 '" + program + "' /UNINSTALL 2>/dev/null"));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Orlen", &key));

    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Orlen\\Veilbox", &key));
    RegCloseKey(key);
    world_.AddIdentity("{A}", "Main");
    world_.MarkHidden("{B}");
    ASSERT_TRUE(ClearFirstRun());
    // The refusal comes first, as a system box ("Error"); Enter answers it. Then the
    // ordinary window opens and Escape closes it without restoring. With no window
    // manager nothing takes the focus by itself, so each window is given it, and the
    // key is pressed again until the window is gone, so a slow start cannot eat it.
    const std::string drive =
        "answer() { id=$(timeout 30 xdotool search --sync --onlyvisible --name \"$1\" | head -1); "
        "for i in $(seq 60); do sleep 0.5; xdotool windowfocus \"$id\"; sleep 0.2; xdotool key \"$2\"; "
        "xdotool search --onlyvisible --name \"$1\" | grep -qx \"$id\" || return 0; done; }; "
        "answer '^Error$' Return; answer '^Veilbox$' Escape";
    // 6505 reaches the parent as its low byte.
    EXPECT_EQ(6505 & 0xFF, RunCommand("( " + drive + " ) >/dev/null 2>&1 & timeout 60 '" + program + "' /uninstall"));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Orlen\\Veilbox", &key));
    RegCloseKey(key);
}
