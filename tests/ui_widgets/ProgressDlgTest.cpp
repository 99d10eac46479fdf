#include <memory>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include "WxTestSupport.h"
#include "ui/CHoverButton.h"
#include "ui/CProgressDlg.h"
#include "ui/WxUserInterface.h"

namespace {

// A shown main window that the progress dialog takes as its owner.
class uiProgress : public ::testing::Test {
protected:
    uiProgress() {
        wxTheApp->SetTopWindow(main_);
        ShowAndActivate(*main_);
    }
    ~uiProgress() override {
        wxTheApp->SetTopWindow(nullptr);
        main_->Destroy();
        PumpFor(20);
    }
    wxFrame* main_ = new wxFrame(nullptr, wxID_ANY, "Veilbox");
};

}  // namespace

TEST_F(uiProgress, PercentageFollowsThePositionWithinTheRange) {
    CProgressDlg dlg;
    EXPECT_EQ(" 0 %", dlg.PercentText());
    const struct { int low, high, pos; const char* text; } steps[] = {
        {0, 1000, 0, "0%"}, {0, 1000, 375, "37%"}, {0, 1000, 999, "99%"}, {0, 1000, 1000, "100%"},
        {200, 400, 300, "50%"}, {5, 5, 4, "0%"}, {5, 5, 5, "100%"}};  // an empty range is not started or done
    int previous = 0;
    for (const auto& step : steps) {
        dlg.SetRange(step.low, step.high);
        EXPECT_EQ(previous, dlg.SetPos(step.pos));
        EXPECT_EQ(step.text, dlg.PercentText()) << step.low << ".." << step.high << " at " << step.pos;
        previous = step.pos;
    }
}

TEST_F(uiProgress, CancelEscapeAndCloseBoxRaiseOneRequestAndTheWindowStays) {
    CProgressDlg dlg;
    SendKey(dlg, wxEVT_CHAR_HOOK, WXK_RETURN);
    EXPECT_FALSE(dlg.TakeCancelRequest());
    ClickMiddle(dlg.CancelButton());
    ClickMiddle(dlg.CancelButton());
    EXPECT_TRUE(dlg.TakeCancelRequest());
    EXPECT_FALSE(dlg.TakeCancelRequest()) << "presses between two chunks are one request";
    SendKey(dlg, wxEVT_CHAR_HOOK, WXK_ESCAPE);
    EXPECT_TRUE(dlg.TakeCancelRequest());
    dlg.Close();
    EXPECT_TRUE(dlg.TakeCancelRequest());
    EXPECT_TRUE(dlg.IsShown());
    // Queued like input from the display: only the pumping of the work delivers it.
    dlg.CallAfter([&dlg] { dlg.CancelButton().Click(); });
    dlg.SetPos(10);
    EXPECT_TRUE(dlg.TakeCancelRequest());
    dlg.CallAfter([&dlg] { dlg.CancelButton().Click(); });
    EXPECT_TRUE(dlg.TakeCancelRequest());
}

TEST_F(uiProgress, TheOwnerIsDisabledWhileTheWindowLivesAndTheEraseStageHasNoCancel) {
    {
        std::unique_ptr<ProgressWindow> window = WxUserInterface().CreateProgressWindow();
        auto& dlg = dynamic_cast<CProgressDlg&>(*window);
        EXPECT_EQ(main_, dlg.Owner());
        EXPECT_FALSE(main_->IsEnabled());
        window->HideCancelButton();
        EXPECT_FALSE(dlg.CancelButton().IsShown());
    }
    EXPECT_TRUE(main_->IsEnabled());
    // A window that was disabled already is not the dialog's to enable.
    main_->Disable();
    { CProgressDlg dlg; }
    EXPECT_FALSE(main_->IsEnabled());
}
