#include <memory>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include "WxTestSupport.h"
#include "base/UserInterface.h"
#include "ui/CProgressDlg.h"
#include "ui/CHoverButton.h"
#include "ui/WxUserInterface.h"

namespace {

// A shown main window that the progress dialog takes as its owner.
class uiProgress : public ::testing::Test {
protected:
    void SetUp() override {
        main_ = new wxFrame(nullptr, wxID_ANY, "Veilbox");
        wxTheApp->SetTopWindow(main_);
        ShowAndActivate(*main_);
    }
    void TearDown() override {
        wxTheApp->SetTopWindow(nullptr);
        main_->Destroy();
        PumpFor(20);
    }
    wxFrame* main_ = nullptr;
};

}  // namespace

TEST_F(uiProgress, PercentageFollowsThePositionWithinTheRange) {
    CProgressDlg dlg;
    EXPECT_EQ(" 0 %", dlg.PercentText());
    dlg.SetRange(0, 1000);
    const struct { int pos; const char* text; } steps[] = {
        {0, "0%"}, {375, "37%"}, {999, "99%"}, {1000, "100%"}, {120, "12%"}};
    int previous = 0;
    for (const auto& step : steps) {
        EXPECT_EQ(previous, dlg.SetPos(step.pos));
        EXPECT_EQ(step.text, dlg.PercentText()) << step.pos;
        previous = step.pos;
    }
}

TEST_F(uiProgress, RangeNotStartingAtZeroAndEmptyRange) {
    CProgressDlg dlg;
    dlg.SetRange(200, 400);
    dlg.SetPos(300);
    EXPECT_EQ("50%", dlg.PercentText());
    // An empty range would divide by zero; it reads as not started, then done.
    dlg.SetRange(5, 5);
    dlg.SetPos(4);
    EXPECT_EQ("0%", dlg.PercentText());
    dlg.SetPos(5);
    EXPECT_EQ("100%", dlg.PercentText());
}

TEST_F(uiProgress, CancelPressesBetweenChunksMakeOneRequest) {
    CProgressDlg dlg;
    EXPECT_FALSE(dlg.TakeCancelRequest());
    ClickMiddle(dlg.CancelButton());
    ClickMiddle(dlg.CancelButton());
    EXPECT_TRUE(dlg.TakeCancelRequest());
    EXPECT_FALSE(dlg.TakeCancelRequest());
    EXPECT_TRUE(dlg.IsShown());
    // After the request was answered, a new press is a new request.
    ClickMiddle(dlg.CancelButton());
    EXPECT_TRUE(dlg.TakeCancelRequest());
}

TEST_F(uiProgress, EscapeAndCloseBoxRequestCancelButEnterDoesNothing) {
    CProgressDlg dlg;
    SendKey(dlg, wxEVT_CHAR_HOOK, WXK_RETURN);
    EXPECT_FALSE(dlg.TakeCancelRequest());
    EXPECT_TRUE(dlg.IsShown());

    SendKey(dlg, wxEVT_CHAR_HOOK, WXK_ESCAPE);
    EXPECT_TRUE(dlg.TakeCancelRequest());
    dlg.Close();
    EXPECT_TRUE(dlg.TakeCancelRequest());
    EXPECT_TRUE(dlg.IsShown());
}

TEST_F(uiProgress, ClicksQueuedByTheDisplayArriveWhileWorkPumps) {
    CProgressDlg dlg;
    dlg.SetRange(0, 1000);
    // Queued like input from the display; only the pumping in SetPos can deliver it.
    dlg.CallAfter([&dlg] { dlg.CancelButton().Click(); });
    dlg.SetPos(10);
    EXPECT_TRUE(dlg.TakeCancelRequest());
    dlg.CallAfter([&dlg] { dlg.CancelButton().Click(); });
    EXPECT_TRUE(dlg.TakeCancelRequest());
}

TEST_F(uiProgress, OwnerIsDisabledWhileTheDialogLivesAndEnabledAfter) {
    {
        CProgressDlg dlg;
        EXPECT_EQ(main_, dlg.Owner());
        EXPECT_FALSE(main_->IsEnabled());
    }
    EXPECT_TRUE(main_->IsEnabled());

    // A window that was disabled already is not the dialog's to enable.
    main_->Disable();
    { CProgressDlg dlg; }
    EXPECT_FALSE(main_->IsEnabled());
    main_->Enable();
}

TEST_F(uiProgress, EraseStageHidesCancel) {
    WxUserInterface ui;
    std::unique_ptr<ProgressWindow> window = ui.CreateProgressWindow();
    ASSERT_TRUE(window);
    auto& dlg = dynamic_cast<CProgressDlg&>(*window);
    window->SetStatusText("Erasing unprotected copy");
    window->HideCancelButton();
    EXPECT_FALSE(dlg.CancelButton().IsShown());
    EXPECT_FALSE(main_->IsEnabled());
    window.reset();
    EXPECT_TRUE(main_->IsEnabled());
}
