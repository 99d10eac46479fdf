#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/mstream.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "WxTestSupport.h"
#include "base/UserInterface.h"
#include "platform/Shell.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"
#include "ui/ResourceImages.h"

namespace {

// A shown, active dialog: an edit field, OK, a label and Cancel in tab order.
class uiHoverButton : public ::testing::Test {
protected:
    void SetUp() override {
        field_ = new wxTextCtrl(dialog_, 1010, "", wxPoint(10, 10), wxSize(100, 25));
        ok_ = new CHoverButton(dialog_, IDOK, "OK", wxPoint(10, 60), wxSize(90, 28));
        new wxStaticText(dialog_, wxID_ANY, "label", wxPoint(10, 150));
        cancel_ = new CHoverButton(dialog_, IDCANCEL, "Cancel", wxPoint(110, 60), wxSize(90, 28));
        for (CHoverButton* b : {ok_, cancel_}) ApplyButtonStyle(*b, 0);
        ShowAndActivate(*dialog_);
        dialog_->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) { clicks_.push_back(e.GetId()); });
    }
    void TearDown() override {
        dialog_->Destroy();
        PumpFor(10);
    }
    static wxImage Render(CHoverButton& button) {
        wxBitmap bitmap(button.GetClientSize());
        wxMemoryDC dc(bitmap);
        button.DrawItem(dc);
        dc.SelectObject(wxNullBitmap);
        return bitmap.ConvertToImage();
    }
    static wxColour Pixel(const wxImage& i, int x, int y) { return {i.GetRed(x, y), i.GetGreen(x, y), i.GetBlue(x, y)}; }
    static wxColour Corner(const wxImage& i, bool far) { return far ? Pixel(i, i.GetWidth() - 1, i.GetHeight() - 1) : Pixel(i, 0, 0); }
    // The 16 pixels of the icon's middle row, which starts 3 pixels from the left edge.
    static std::vector<wxColour> IconRow(const wxImage& i, int shift) {
        std::vector<wxColour> row;
        for (int x = 3; x < 19; ++x) row.push_back(Pixel(i, x + shift, i.GetHeight() / 2 + shift));
        return row;
    }
    static wxPoint Middle(wxWindow& w) { return {w.GetClientSize().x / 2, w.GetClientSize().y / 2}; }
    void Hover(CHoverButton& b, bool leftDown = false) { SendMouse(b, wxEVT_MOTION, Middle(b), leftDown); }

    wxDialog* dialog_ = new wxDialog(nullptr, wxID_ANY, "buttons", wxDefaultPosition, wxSize(400, 200));
    wxTextCtrl* field_ = nullptr;
    CHoverButton *ok_ = nullptr, *cancel_ = nullptr;
    std::vector<int> clicks_;
};

}  // namespace

TEST_F(uiHoverButton, FlatIvoryWhenIdleRaisedOnWhiteWithTheOtherIconWhenHoveredSunkWhenPressed) {
    ASSERT_TRUE(dialog_->IsActive()) << "the display gave the test window no focus";
    const wxImage idle = Render(*ok_);
    EXPECT_EQ(wxColour(255, 255, 240), Corner(idle, false));
    EXPECT_EQ(Corner(idle, false), Corner(idle, true));
    Hover(*ok_);
    ASSERT_TRUE(ok_->IsHovered());
    const wxImage hover = Render(*ok_);
    EXPECT_EQ(wxColour(255, 255, 255), Pixel(hover, hover.GetWidth() - 2, 1));
    EXPECT_NE(Corner(hover, false), Corner(hover, true)) << "a raised border is light above, dark below";
    EXPECT_NE(IconRow(idle, 0), IconRow(hover, 0)) << "hovered and idle icons look the same";
    SendMouse(*ok_, wxEVT_LEFT_DOWN, Middle(*ok_), true);
    ASSERT_TRUE(ok_->IsPressed());
    const wxImage pressed = Render(*ok_);
    EXPECT_EQ(Corner(hover, true), Corner(pressed, false)) << "a sunk border is dark above";
    EXPECT_EQ(IconRow(hover, 0), IconRow(pressed, 1)) << "the icon moves one pixel down and right";
}

// Lit only while its window is active and in front, never by a press dragged in.
TEST_F(uiHoverButton, OnlyAnActiveWindowLights) {
    Hover(*ok_, true);
    EXPECT_FALSE(ok_->IsHovered());
    wxActivateEvent deactivate(wxEVT_ACTIVATE, false);
    wxFocusEvent lost(wxEVT_KILL_FOCUS, ok_->GetId());
    for (wxEvent* off : std::initializer_list<wxEvent*>{&deactivate, &lost}) {
        Hover(*ok_);
        ASSERT_TRUE(ok_->IsHovered());
        (off == &lost ? ok_ : static_cast<wxWindow*>(dialog_))->GetEventHandler()->ProcessEvent(*off);
        EXPECT_FALSE(ok_->IsHovered());
    }
    wxDialog front(nullptr, wxID_ANY, "front", wxPoint(600, 400), wxSize(100, 100));
    ShowAndActivate(front);
    ASSERT_FALSE(dialog_->IsActive());
    Hover(*ok_);
    EXPECT_FALSE(ok_->IsHovered());
}

TEST_F(uiHoverButton, RealPointerLightsAndClicksOnReleaseAndSpaceClicksButNeverWhenDisabled) {
    wxUIActionSimulator sim;
    sim.MouseMove(ok_->ClientToScreen(Middle(*ok_)));
    PumpFor(150);
    EXPECT_TRUE(ok_->IsHovered());
    sim.MouseClick();
    sim.MouseMove(cancel_->ClientToScreen(Middle(*cancel_)));
    PumpFor(150);
    EXPECT_FALSE(ok_->IsHovered());
    EXPECT_TRUE(cancel_->IsHovered());
    sim.MouseDblClick();
    PumpFor(150);
    sim.MouseMove(1, 1);  // off every window, away from what later tests show
    PumpFor(150);
    EXPECT_EQ(clicks_, (std::vector<int>{IDOK, IDCANCEL, IDCANCEL}));

    clicks_.clear();
    // Pressed, dragged off and released outside: no click.
    SendMouse(*ok_, wxEVT_LEFT_DOWN, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_MOTION, wxPoint(-20, -20), true);
    EXPECT_FALSE(ok_->IsPressed());
    SendMouse(*ok_, wxEVT_LEFT_UP, wxPoint(-20, -20), false);
    // A quick second click arrives as a double click and still counts.
    ClickMiddle(*ok_);
    SendMouse(*ok_, wxEVT_LEFT_DCLICK, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_LEFT_UP, Middle(*ok_), false);
    SendKey(*cancel_, wxEVT_KEY_DOWN, WXK_SPACE);
    EXPECT_EQ(2u, clicks_.size()) << "the space bar clicks on release";
    SendKey(*cancel_, wxEVT_KEY_UP, WXK_SPACE);
    cancel_->Disable();
    ClickMiddle(*cancel_);
    EXPECT_EQ(clicks_, (std::vector<int>{IDOK, IDOK, IDCANCEL}));
}

TEST_F(uiHoverButton, FocusIsDrawnAndPassesOnWhenDisabledDefaultMovesAndUnknownsAreRefused) {
    ASSERT_TRUE(ok_->SetColor(CHoverButton::BackFocus, wxColour(10, 20, 30), false));
    ok_->SetFocus();
    PumpFor(20);
    EXPECT_EQ(wxColour(10, 20, 30), Corner(Render(*ok_), false)) << "a focused button has the focus background";
    ok_->Disable();
    PumpFor(20);
    EXPECT_TRUE(cancel_->HasFocus()) << "the label between takes no focus";
    cancel_->Disable();
    PumpFor(20);
    EXPECT_TRUE(field_->HasFocus()) << "after the last control the search wraps round";
    ok_->SetDefault();
    cancel_->SetDefault();
    EXPECT_FALSE(ok_->IsDefault());
    EXPECT_EQ(cancel_, dialog_->GetDefaultItem());
    EXPECT_FALSE(ok_->SetColor(CHoverButton::SlotCount, *wxGREEN, true));
    EXPECT_FALSE(ok_->SetCursorResource(4242, true));
    EXPECT_FALSE(ok_->HasOwnCursor());
}

TEST(uiResourceImages, EveryButtonRoleHasTwoDifferent16PixelIcons) {
    for (unsigned role : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 1005u}) {
        const unsigned hovered = role < 100 ? role + 10000 : role;
        const wxImage in = LoadIconResource(hovered).ConvertToImage(), out = LoadIconResource(hovered + 10000).ConvertToImage();
        ASSERT_TRUE(in.IsOk() && out.IsOk()) << role;
        EXPECT_TRUE(in.GetSize() == wxSize(16, 16) && out.GetSize() == wxSize(16, 16)) << role;
        EXPECT_NE(0, memcmp(in.GetData(), out.GetData(), 16 * 16 * 3)) << "hovering would show nothing: " << role;
    }
}

TEST(uiResourceImages, ProgramIconsComeInTheNearestSizeAndTheHandPointsWithItsFingertip) {
    EXPECT_EQ(48, LoadIconResource(128, 48).GetWidth());
    EXPECT_EQ(16, LoadIconResource(20009, 16).GetWidth());
    EXPECT_EQ(32, LoadIconResource(20009, 40).GetWidth());
    EXPECT_FALSE(LoadIconResource(4242, 32).IsOk());
    ASSERT_TRUE(LoadCursorResource(HandCursorId).IsOk());
    const platform::Resource res = platform::FindResource("CURSOR", HandCursorId);
    wxMemoryInputStream stream(res.data, res.size);
    wxImage image;
    ASSERT_TRUE(image.LoadFile(stream, wxBITMAP_TYPE_CUR));
    EXPECT_EQ(wxSize(32, 32), image.GetSize());
    EXPECT_EQ(6, image.GetOptionInt(wxIMAGE_OPTION_CUR_HOTSPOT_X));
    EXPECT_EQ(0, image.GetOptionInt(wxIMAGE_OPTION_CUR_HOTSPOT_Y));
    ASSERT_TRUE(image.HasMask() || image.HasAlpha());
    EXPECT_FALSE(image.IsTransparent(6, 0)) << "the hot spot is on the hand";
}
