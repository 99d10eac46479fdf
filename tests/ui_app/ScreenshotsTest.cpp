// Pictures of every page and of the main window's dialogs, for the documentation.
// Taken only when VEILBOX_SCREENSHOTS names a folder (scripts/screenshots.sh does);
// otherwise skipped. Each picture is the main window's area of the screen, where its
// dialogs also open.
#include "MainWindowHarness.h"
#include "WxTestSupport.h"

#include <cstdlib>

#include <wx/webview.h>

#include "ui/CMessageBoxDlg.h"
#include "identities/Settings.h"
#include "platform/Shell.h"
#include "base/OperationResult.h"
#include "ui/CHoverButton.h"
#include "ui/WxUserInterface.h"

namespace {

class Screenshots : public MainWindowTest {
protected:
    void SetUp() override {
        folder_ = platform::GetEnvironmentVariable("VEILBOX_SCREENSHOTS");
        if (folder_.empty()) GTEST_SKIP() << "set VEILBOX_SCREENSHOTS to a folder to take the pictures";
    }
    // The main window's rectangle of the screen.
    void Shoot(const std::string& name) {
        Pump(400);
        const wxRect area = window_->GetScreenRect();
        const std::string crop = std::to_string(area.width) + "x" + std::to_string(area.height) + "+" +
                                 std::to_string(area.x) + "+" + std::to_string(area.y);
        ASSERT_EQ(0, std::system(("import -window root -crop " + crop + " '" + folder_ + "/" + name + ".png'").c_str()));
    }
    void ShowPage(const std::string& page) {
        loaded_.clear();
        window_->NavigateToPage(page + ".htm");
        ASSERT_TRUE(WaitForPage(page));
    }

    std::string folder_;
};

}  // namespace

TEST_F(Screenshots, EveryPage) {
    AddIdentity("{A}", "Main Identity");
    AddIdentity("{B}", "Private");
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("welcome"));
    Shoot("page_welcome");
    for (const char* page : {"index", "tour", "tour1", "tour2", "help", "support"}) {
        ShowPage(page);
        Shoot(std::string("page_") + page);
    }
    ShowPage("done");
    Shoot("page_done_restored");
    OperationResult = ResultCopyError;
    ShowPage("error");
    Shoot("page_error");
    OperationResult = ResultUnspecified;
    MarkHidden("{B}");
    ShowPage("done");
    Shoot("page_done_hidden");
    ShowPage("index");
    Shoot("page_index_restore");
}

TEST_F(Screenshots, MessageBoxesOfTheMainWindow) {
    AddIdentity("{A}", "Main Identity");
    ClearFirstRun();
    WxUserInterface real;
    UserInterface::Install(&real);
    Open();
    ModalScript question([this](wxDialog& dialog) {
        Shoot("msgbox_tour_question");
        static_cast<CMessageBoxDlg&>(dialog).FirstButton().Click();
    });
    const bool started = window_->Start();
    ASSERT_TRUE(started);
    ASSERT_TRUE(WaitForPage("tour"));
    UserInterface::Install(&ui_);
}
