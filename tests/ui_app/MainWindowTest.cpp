#include "MainWindowHarness.h"

#include <wx/webview.h>

#include "WxTestSupport.h"
#include "ui/CMessageBoxDlg.h"
#include "app/VersionString.h"
#include "ui/CPasswordDlg.h"
#include "identities/Settings.h"
#include "password/PasswordRecord.h"
#include "base/OperationResult.h"
#include "ui/CHoverButton.h"
#include "ui/WxUserInterface.h"

namespace {

const char kHiddenStatus[] = "Identity is now hidden. Use this program again when you need to restore the identity.";
const char kRestoredStatus[] = "Identity is now restored. Now you can run Outlook Express and use it.";

}  // namespace

TEST_F(MainWindowTest, FirstRunWelcomesThenTheMainPageShowsVersionAndPanel) {
    AddIdentity("{A}", "Main");
    AddIdentity("{B}", "Private");
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("welcome"));
    EXPECT_FALSE(IsFirstRun());

    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    EXPECT_EQ(FormatVersionString("", 0), ElementHtml("ver"));
    EXPECT_NE(std::string::npos, ElementHtml("act").find("#id2_02_Map"));
    EXPECT_EQ(std::vector<std::string>{"index"}, loaded_);
}

TEST_F(MainWindowTest, HiddenIdentityShowsTheRestorePanelWithoutCountingIdentities) {
    AddIdentity("{A}", "Main");
    MarkHidden("{B}");
    ClearFirstRun();
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    EXPECT_NE(std::string::npos, ElementHtml("act").find("#id3_02_Map"));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(MainWindowTest, TooFewIdentitiesAndNoTourEndWithoutAPage) {
    ui_.QueueAnswer(IDNO);
    EXPECT_FALSE(OpenAndStart());
    EXPECT_EQ(IDCANCEL, window_->EndResult());
    Pump(300);
    EXPECT_TRUE(loaded_.empty());
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(0u, ui_.messages[0].text.find("Could not find Outlook Express identities"));
}

TEST_F(MainWindowTest, TourOnlyRunEndsWithTheTour) {
    AddIdentity("{A}", "Main");
    // This time the question is the program's own message box, answered by a click.
    WxUserInterface real;
    UserInterface::Install(&real);
    ModalScript yes([](wxDialog& dialog) {
        auto* box = dynamic_cast<CMessageBoxDlg*>(&dialog);
        ASSERT_NE(nullptr, box);
        EXPECT_NE(wxNOT_FOUND, box->Text().Find("only one Outlook Express identity"));
        box->FirstButton().Click();
    });
    const bool started = OpenAndStart();
    UserInterface::Install(&ui_);
    ASSERT_TRUE(started);
    EXPECT_EQ(1, yes.Runs());
    EXPECT_TRUE(window_->IsTourOnly());
    ASSERT_TRUE(WaitForPage("tour"));
    EXPECT_TRUE(IsFirstRun());

    ClickLink("act://endtour");
    Pump(500);
    EXPECT_EQ(0, window_->EndResult());
}

TEST_F(MainWindowTest, EndingTheTourInAnOrdinaryRunShowsTheMainPage) {
    AddIdentity("{A}", "Main");
    AddIdentity("{B}", "Private");
    ClearFirstRun();
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    ClickLink("tour.htm");
    ASSERT_TRUE(WaitForPage("tour"));
    ClickLink("act://endtour");
    loaded_.clear();
    ASSERT_TRUE(WaitForPage("index"));
    EXPECT_EQ(-1, window_->EndResult());
}

TEST_F(MainWindowTest, CancelledPasswordPromptEndsBeforeAnything) {
    AddIdentity("{A}", "Main");
    ASSERT_TRUE(SetPassword("s3cret"));
    ModalScript cancel([](wxDialog& dialog) {
        auto* prompt = dynamic_cast<CPasswordDlg*>(&dialog);
        ASSERT_NE(nullptr, prompt);
        prompt->CancelButton().Click();
    });
    EXPECT_FALSE(OpenAndStart());
    EXPECT_EQ(1, cancel.Runs());
    EXPECT_EQ(IDCANCEL, window_->EndResult());
    EXPECT_EQ(0, window_->QuitExitCode());
    Pump(300);
    EXPECT_TRUE(loaded_.empty());
    EXPECT_TRUE(ui_.messages.empty());  // not even the count of identities
}

TEST_F(MainWindowTest, CommandsEndTheRunInAnyCaseAndUnknownOnesAreLeftToTheBrowser) {
    AddIdentity("{A}", "Main");
    AddIdentity("{B}", "Private");
    ClearFirstRun();
    for (const char* exit : {"act://Exit", "act://exitnow"}) {
        SCOPED_TRACE(exit);
        ASSERT_TRUE(OpenAndStart());
        ASSERT_TRUE(WaitForPage("index"));
        window_->WebView().RunScript(std::string("location.href = '") + exit + "'");
        Pump(500);
        EXPECT_EQ(0, window_->EndResult());
        EXPECT_TRUE(failedUrls_.empty());
    }

    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    window_->WebView().RunScript("location.href = 'act://unknown'");
    for (int i = 0; i < 100 && failedUrls_.empty(); ++i) Pump(50);
    ASSERT_EQ(1u, failedUrls_.size());
    EXPECT_EQ("act://unknown", failedUrls_[0]);
    EXPECT_EQ(-1, window_->EndResult());
}

TEST_F(MainWindowTest, ResultPagesTellEveryCodeAndTheStateThatHolds) {
    AddIdentity("{A}", "Main");
    AddIdentity("{B}", "Private");
    ClearFirstRun();
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    const std::pair<int, const char*> codes[] = {{ResultCanceled, "Operation has been canceled"},
                                                 {ResultRegistryError, "Registry error"},
                                                 {ResultAlreadyHidden, "This identity is already hidden."},
                                                 {ResultCopyError, "Copy error"},
                                                 {ResultUnspecified, "Unspecified error"},
                                                 {9, "Unspecified error"}};
    for (const auto& [code, text] : codes) {
        OperationResult = code;
        loaded_.clear();
        window_->NavigateToPage("error.htm");
        ASSERT_TRUE(WaitForPage("error"));
        EXPECT_EQ(text, ElementHtml("descr")) << code;
    }
    OperationResult = ResultUnspecified;

    loaded_.clear();
    window_->NavigateToPage("DONE.HTM");
    ASSERT_TRUE(WaitForPage("done"));
    EXPECT_EQ(kRestoredStatus, ElementHtml("status"));
    EXPECT_EQ("<a href=\"act://msimn\">Click here</a> to start Outlook Express now.", ElementHtml("act"));

    MarkHidden("{B}");
    loaded_.clear();
    window_->NavigateToPage("done.htm");
    ASSERT_TRUE(WaitForPage("done"));
    EXPECT_EQ(kHiddenStatus, ElementHtml("status"));
    EXPECT_EQ("", ElementHtml("act"));
}

TEST_F(MainWindowTest, ElementTextsArriveIntactAndMissingElementsAreSkipped) {
    AddIdentity("{A}", "Main");
    AddIdentity("{B}", "Private");
    ClearFirstRun();
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(WaitForPage("index"));
    const std::string tricky = "a \"quoted\" 'text' with \\ back\\slash, line\nbreak and \xC3\xA9";
    EXPECT_TRUE(window_->SetElementHtml("ver", tricky));
    EXPECT_EQ(tricky, ElementHtml("ver"));
    // Markup that tries to end the script stays text in the element.
    EXPECT_TRUE(window_->SetElementHtml("ver", "x</script><b>y</b>"));
    EXPECT_EQ("x<b>y</b>", ElementHtml("ver"));
    EXPECT_FALSE(window_->SetElementHtml("no-such-element", "z"));
}
