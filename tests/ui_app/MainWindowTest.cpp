// The main window in-process on the real web view, and /uninstall run on the real program.
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <set>

#include <wx/textctrl.h>
#include <wx/webview.h>

#include "WxTestSupport.h"
#include "app/PageAddress.h"
#include "app/VersionString.h"
#include "base/FileLocations.h"
#include "identities/Settings.h"
#include "identities/RegistryKey.h"
#include "password/PasswordRecord.h"
#include "platform/Shell.h"
#include "support/CommandOutput.h"
#include "support/TempDir.h"
#include "support/World.h"
#include "ui/CMainDlg.h"
#include "ui/CPasswordDlg.h"

namespace {

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
        const auto seen = [&] { return std::find(loaded_.begin(), loaded_.end(), page) != loaded_.end(); };
        for (int i = 0; i < 750 && !seen(); ++i) PumpFor(20);
        return seen();
    }
    std::string ElementHtml(const std::string& id) {
        wxString html;
        window_->WebView().RunScript("(function () { var e = document.getElementById('" + id +
                                         "'); return e ? e.innerHTML : '<none>'; })()", &html);
        return html.utf8_string();
    }
    // An address followed, as a click on a link does.
    void Go(const std::string& url) { window_->WebView().RunScript("location.href = '" + url + "'"); }
    bool StartOnTheMainPage() {
        world_.AddIdentity("{A}", "Main");
        world_.AddIdentity("{B}", "Private");
        return ClearFirstRun() && OpenAndStart() && WaitForPage("index");
    }

    // The shared world without the mail client's store, the settings under the program's name.
    World world_{{false, false, false, "Veilbox", SecurityHigh, ""}};
    CMainDlg* window_ = nullptr;
    std::vector<std::string> loaded_, failedUrls_;
};

struct StartCase {
    const char* name;
    int identities;  // "{A}" Main, then "{B}" Private
    bool hidden, firstRun;
    // With a password set, each entry typed and OK pressed, or the key named; none: no password.
    std::vector<const char*> entries;
    std::vector<int> answers;
    const char* page;  // the first page, null when the run ends before any
    std::vector<std::pair<const char*, std::string>> holds;  // elements of that page and a part of each
    int endResult, exitCode;
    size_t messages;
    const char* message;  // how each message starts
};

const StartCase kStarts[] = {
    {"ordinary run",
     2,
     false,
     false,
     {},
     {},
     "index",
     {{"act", "#id2_02_Map"}, {"ver", "<version>"}},
     -1,
     0,
     0,
     nullptr},
    {"hidden identity, not counted", 1, true, false, {}, {}, "index", {{"act", "#id3_02_Map"}}, -1, 0, 0, nullptr},
    {"one identity: tour only", 1, false, true, {}, {MessageAnswer::Yes}, "tour", {}, -1, 0, 1, "There is only one"},
    {"no identities, no tour",
     0,
     false,
     true,
     {},
     {MessageAnswer::No},
     nullptr,
     {},
     MessageAnswer::Cancel,
     0,
     1,
     "Could not find"},
    {"two wrong passwords (one empty), then the right one",
     2,
     false,
     true,
     {"", "Right", "s3cret"},
     {},
     "welcome",
     {},
     -1,
     0,
     2,
     "The password you"},
    {"a wrong password, then Cancel",
     2,
     false,
     true,
     {"wrong", "<Cancel>"},
     {},
     nullptr,
     {},
     MessageAnswer::Cancel,
     0,
     1,
     "The password you"},
    {"the prompt ended with Escape",
     2,
     false,
     true,
     {"<Escape>"},
     {},
     nullptr,
     {},
     MessageAnswer::Cancel,
     0,
     0,
     nullptr},
    {"three wrong passwords",
     2,
     false,
     true,
     {"one", "two", "three"},
     {},
     nullptr,
     {},
     MessageAnswer::Cancel,
     1,
     3,
     "The password you"},
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class MainWindowStart : public MainWindowTest, public ::testing::WithParamInterface<StartCase> {};

}  // namespace

TEST_P(MainWindowStart, ShowsTheFirstPageOfThePlanOrEndsBeforeAny) {
    const StartCase& c = GetParam();
    if (c.identities > 0) world_.AddIdentity("{A}", "Main");
    if (c.identities > 1) world_.AddIdentity("{B}", "Private");
    if (c.hidden) world_.MarkHidden("{B}");
    ASSERT_TRUE(c.firstRun || ClearFirstRun());
    const bool password = !c.entries.empty();
    if (password) {
        // "s3cret" is the password on disk, while the run holds another one, as at start-up.
        world_.SetPassword("s3cret");
        const std::string record = ReadWholeFile(world_.AuthPath());
        world_.SetPassword("before");
        WriteWholeFile(world_.AuthPath(), record);
    }
    ModalScript prompt([&](wxDialog& dialog) {
        auto& asked = dynamic_cast<CPasswordDlg&>(dialog);
        EXPECT_EQ("Authentication", asked.GetTitle());
        EXPECT_TRUE(asked.PasswordField().HasFlag(wxTE_PASSWORD));
        for (const std::string entry : c.entries) {
            if (entry == "<Cancel>") ClickMiddle(asked.CancelButton());
            if (entry == "<Escape>") SendKey(asked, wxEVT_CHAR_HOOK, WXK_ESCAPE);
            if (entry[0] == '<') continue;
            const bool right = entry == "s3cret";
            if (!right) prompt.Answer({MessageAnswer::Ok});
            asked.PasswordField().ChangeValue(entry);
            EXPECT_EQ(!right, PressTookTheDelay(asked.OkButton())) << entry;
            // A wrong entry stays, selected, for the next try.
            if (!right && asked.IsModal()) {
                EXPECT_EQ(entry, asked.PasswordField().GetStringSelection().utf8_string());
            }
        }
    });
    for (int answer : c.answers) prompt.Answer({answer});
    EXPECT_EQ(c.page != nullptr, OpenAndStart());
    ASSERT_TRUE(!c.page || WaitForPage(c.page));
    for (const auto& [id, part] : c.holds) {
        const std::string expected = part == "<version>" ? FormatVersionString("", 0) : part;
        EXPECT_NE(std::string::npos, ElementHtml(id).find(expected)) << ElementHtml(id);
    }
    PumpFor(300);
    EXPECT_EQ(c.page ? std::vector<std::string>{c.page} : std::vector<std::string>{}, loaded_);
    EXPECT_EQ(password ? 1 : 0, prompt.Runs());
    EXPECT_TRUE(!password || GetCurrentPassword() == (c.page ? "s3cret" : "before")) << GetCurrentPassword();
    EXPECT_EQ(c.exitCode, window_->QuitExitCode());
    ASSERT_EQ(c.messages, prompt.boxes.size());
    for (const auto& text : prompt.boxes) EXPECT_EQ(0u, text.find(c.message)) << text;
    // The welcome page is shown once; a run that only shows the tour keeps the mark.
    const std::string page = c.page ? c.page : "";
    EXPECT_EQ(c.firstRun && page != "welcome", IsFirstRun());
    EXPECT_EQ(page == "tour", window_->IsTourOnly());
    EXPECT_EQ(c.endResult, window_->EndResult());
    if (window_->IsTourOnly()) {
        Go("act://endtour");
        PumpFor(500);
        EXPECT_EQ(0, window_->EndResult()) << "the end of the tour ends a tour-only run";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MainWindowStart, ::testing::ValuesIn(kStarts));

TEST_F(MainWindowTest, TextArrivesIntactEndTourGoesBackExitEndsTheRunAndUnknownCommandsGoToTheBrowser) {
    ASSERT_TRUE(StartOnTheMainPage());
    // Window managers pick the icon size they need (title bar, task switcher, dock).
    EXPECT_GE(window_->GetIcons().GetIconCount(), 2u) << "sizes of the program icon";
    const std::string tricky = "a \"quoted\" 'text' with \\ back\\slash, line\nbreak and \xC3\xA9";
    EXPECT_TRUE(window_->SetElementHtml("act", tricky));
    EXPECT_EQ(tricky, ElementHtml("act"));
    // Markup that tries to end the script stays text in the element.
    EXPECT_TRUE(window_->SetElementHtml("act", "x</script><b>y</b>"));
    EXPECT_EQ("x<b>y</b>", ElementHtml("act"));
    EXPECT_FALSE(window_->SetElementHtml("no-such-element", "z"));
    // A web address goes to the browser launcher (here one that notes it), and the page stays.
    const std::string launcher = world_.home.file("bin/xdg-open"), noted = world_.home.file("opened");
    std::filesystem::create_directories(world_.home.file("bin"));
    WriteWholeFile(launcher, "#!/bin/sh\necho \"$1\" > '" + noted + ".new' && mv '" + noted + ".new' '" + noted + "'\n");
    std::filesystem::permissions(launcher, std::filesystem::perms::owner_all);
    world_.environment.Set("PATH", world_.home.file("bin") + ":" + platform::EnvironmentValue("PATH"));
    loaded_.clear();
    Go("https://www.veilbox.invalid/faq.html");
    for (int i = 0; i < 100 && !std::filesystem::exists(noted); ++i) PumpFor(50);
    EXPECT_EQ("https://www.veilbox.invalid/faq.html\n", ReadWholeFile(noted));
    EXPECT_TRUE(loaded_.empty() && failedUrls_.empty());
    Go("tour.htm");
    ASSERT_TRUE(WaitForPage("tour"));
    loaded_.clear();
    Go("act://endtour");
    ASSERT_TRUE(WaitForPage("index"));
    Go("act://unknown");
    for (int i = 0; i < 100 && failedUrls_.empty(); ++i) PumpFor(50);
    EXPECT_EQ(std::vector<std::string>{"act://unknown"}, failedUrls_);
    EXPECT_EQ(-1, window_->EndResult());
    for (const char* exit : {"act://Exit", "act://exitnow"}) {
        ASSERT_TRUE(OpenAndStart() && WaitForPage("index"));
        failedUrls_.clear();
        Go(exit);
        PumpFor(500);
        EXPECT_EQ(0, window_->EndResult()) << exit;
        EXPECT_TRUE(failedUrls_.empty()) << exit;
    }
}

// Shell functions that answer the real program's windows: answer TITLE KEY gives the
// visible window of that title the focus and presses the key until the window is gone.
// With no window manager nothing takes the focus by itself, and a slow start could eat
// a single press. The waits are long: a sanitized build on a busy machine starts slowly.
const std::string kAnswerWindows =
    "answer() { id=$(timeout 120 xdotool search --sync --onlyvisible --name \"$1\" | head -1); "
    "for i in $(seq 240); do sleep 0.5; xdotool windowfocus \"$id\"; sleep 0.2; xdotool key \"$2\"; "
    "xdotool search --onlyvisible --name \"$1\" | grep -qx \"$id\" || return 0; done; }; ";

// One run of a copy of the real program in a home of its own, with everything at its
// default place and an older auth.dat beside the program. The start-up trace names the
// first of the program's pages; afterwards the home holds only what is documented: the
// password record moved beside the registry database. The web view wrote nothing (no ~/.cache/veilbox, no browsing data in the data folder).
TEST_F(MainWindowTest, ARunInAFreshHomeLeavesFilesOnlyInTheDocumentedPlaces) {
    TempDir home;
    const std::string bin = std::string(VEILBOX_BINARY_DIR) + "/bin", program = home.file("bin/veilbox");
    std::filesystem::create_directories(home.file("bin"));
    std::filesystem::copy_file(bin + "/veilbox", program);
    world_.SetPassword("");  // a record of no password, so no prompt stops the start
    const std::string record = ReadWholeFile(world_.AuthPath());
    WriteWholeFile(home.file("bin/auth.dat"), record);
    const std::string run = "env -u VEILBOX_REGISTRY -u VEILBOX_AUTH -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_CONFIG_HOME HOME='" +
                            home.path() + "' ";
    for (const char* name : {"Main --default", "Private"}) CommandOutput(run + bin + "/msimn create-identity --name " + name);
    const auto tree = [&] {
        std::set<std::string> paths;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(home.path())) {
            paths.insert(entry.path().lexically_relative(home.path()).string());
        }
        return paths;
    };
    const std::set<std::string> before = tree();
    const std::string trace = world_.home.file("trace");
    CommandOutput("( " + kAnswerWindows + "for i in $(seq 1200); do grep -q 'first page' '" + trace +
                  "' && break; sleep 0.1; done; answer '^Veilbox$' Escape ) >/dev/null 2>&1 & " + run +
                  "VEILBOX_TRACE_STARTUP=1 timeout 180 '" + program + "' 2>'" + trace + "'");
    EXPECT_EQ(0u, ReadWholeFile(trace).find("veilbox: first page \"welcome\" loaded after ")) << ReadWholeFile(trace);

    std::set<std::string> added, removed;
    const std::set<std::string> after = tree();
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::inserter(added, added.end()));
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::inserter(removed, removed.end()));
    // The base folders of the desktop's rules may appear empty; nothing of ours is in them.
    added.erase(".cache");
    EXPECT_EQ(std::set<std::string>{".local/share/veilbox/auth.dat"}, added);
    EXPECT_EQ(std::set<std::string>{"bin/auth.dat"}, removed);
    EXPECT_EQ(record, ReadWholeFile(home.file(".local/share/veilbox/auth.dat")));
}

// /uninstall on a copy of the real program, whose settings key is named after it, before
// any window exists.
TEST_F(MainWindowTest, UninstallRemovesTheProgramsKeysOrIsRefusedWhileAnIdentityIsHidden) {
    const std::string program = world_.home.file("bin/veilbox");
    std::filesystem::create_directories(world_.home.file("bin"));
    std::filesystem::copy_file(std::string(VEILBOX_BINARY_DIR) + "/bin/veilbox", program);
    const auto keyExists = [](const char* path) {
        return RegistryKey().Open(platform::RegKey::CurrentUser, path, platform::KeyAccess::Read) ==
               platform::RegStatus::Success;
    };
    int exitCode = -1;
    ASSERT_EQ(platform::RegStatus::Success,
              RegistryKey().Create(platform::RegKey::CurrentUser, "Software\\Orlen\\Veilbox\\main",
                                   platform::KeyAccess::AllAccess));
    CommandOutput("timeout 180 '" + program + "' /UNINSTALL 2>/dev/null", &exitCode);
    EXPECT_EQ(0, exitCode);
    EXPECT_FALSE(keyExists("Software\\Orlen"));

    ASSERT_EQ(platform::RegStatus::Success,
              RegistryKey().Create(platform::RegKey::CurrentUser, "Software\\Orlen\\Veilbox",
                                   platform::KeyAccess::AllAccess));
    world_.AddIdentity("{A}", "Main");
    world_.MarkHidden("{B}");
    ASSERT_TRUE(ClearFirstRun());
    // The refusal comes first, with the caption of a box that names none ("Error");
    // Enter answers it. Then the ordinary window opens and Escape closes it without
    // restoring.
    CommandOutput("( " + kAnswerWindows + "answer '^Error$' Return; answer '^Veilbox$' Escape ) >/dev/null 2>&1 & timeout 180 '" +
                      program + "' /uninstall",
                  &exitCode);
    EXPECT_EQ(6505 & 0xFF, exitCode) << "6505 reaches the parent as its low byte";
    EXPECT_TRUE(keyExists("Software\\Orlen\\Veilbox"));
}
