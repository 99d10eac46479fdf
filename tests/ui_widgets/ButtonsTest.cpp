#include <wx/dcmemory.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "WxTestSupport.h"
#include "ui/DialogLook.h"

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
    // The button as drawn now: its two corner pixels and the middle row of its icon,
    // which starts 3 pixels from the left edge (shift moves the row down and right).
    struct Look {
        wxColour top, bottom;
        std::vector<wxColour> icon;
    };
    static Look Render(CHoverButton& button, int shift = 0) {
        wxBitmap bitmap(button.GetClientSize());
        wxMemoryDC dc(bitmap);
        button.DrawItem(dc);
        dc.SelectObject(wxNullBitmap);
        const wxImage i = bitmap.ConvertToImage();
        const auto pixel = [&](int x, int y) { return wxColour(i.GetRed(x, y), i.GetGreen(x, y), i.GetBlue(x, y)); };
        Look look{pixel(1, 1), pixel(i.GetWidth() - 1, i.GetHeight() - 1), {}};
        for (int x = 3; x < 19; ++x) look.icon.push_back(pixel(x + shift, i.GetHeight() / 2 + shift));
        return look;
    }
    static wxPoint Middle(wxWindow& w) { return {w.GetClientSize().x / 2, w.GetClientSize().y / 2}; }
    void Hover(CHoverButton& b, bool leftDown = false) { SendMouse(b, wxEVT_MOTION, Middle(b), leftDown); }

    wxDialog* dialog_ = new wxDialog(nullptr, wxID_ANY, "buttons", wxDefaultPosition, wxSize(400, 200));
    wxTextCtrl* field_ = nullptr;
    CHoverButton *ok_ = nullptr, *cancel_ = nullptr;
    std::vector<int> clicks_;
};

}  // namespace

// Flat on ivory when idle; raised, on white and with the other icon while hovered;
// sunk with the icon one pixel down and right while pressed. Only an active window's
// buttons light, and not for a press dragged in from outside.
TEST_F(uiHoverButton, LooksFollowThePointerOnlyInTheActiveWindow) {
    ASSERT_TRUE(dialog_->IsActive()) << "the display gave the test window no focus";
    const Look idle = Render(*ok_);
    EXPECT_EQ(wxColour(255, 255, 240), idle.top);
    EXPECT_EQ(idle.top, idle.bottom);
    Hover(*ok_, true);
    EXPECT_FALSE(ok_->IsHovered());
    Hover(*ok_);
    const Look hover = Render(*ok_);
    EXPECT_EQ(wxColour(255, 255, 255), hover.top);
    EXPECT_NE(hover.top, hover.bottom) << "a raised border is dark below";
    EXPECT_NE(idle.icon, hover.icon) << "hovered and idle icons look the same";
    SendMouse(*ok_, wxEVT_LEFT_DOWN, Middle(*ok_), true);
    EXPECT_EQ(hover.icon, Render(*ok_, 1).icon);
    EXPECT_NE(Render(*ok_).bottom, hover.bottom) << "a sunk border is not the raised one";
    SendMouse(*ok_, wxEVT_LEFT_UP, Middle(*ok_), false);
    wxDialog front(nullptr, wxID_ANY, "front", wxPoint(600, 400), wxSize(100, 100));
    ShowAndActivate(front);
    EXPECT_FALSE(ok_->IsHovered());
    Hover(*ok_);
    EXPECT_FALSE(ok_->IsHovered());
}

TEST_F(uiHoverButton, ClicksOnReleaseOverTheButtonOrSpaceNeverWhenDisabledAndTheFocusPassesOn) {
    // Pressed, dragged off and released outside: no click.
    SendMouse(*ok_, wxEVT_LEFT_DOWN, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_MOTION, wxPoint(-20, -20), true);
    SendMouse(*ok_, wxEVT_LEFT_UP, wxPoint(-20, -20), false);
    EXPECT_TRUE(clicks_.empty());
    // A quick second click arrives as a double click and still counts.
    ClickMiddle(*ok_);
    SendMouse(*ok_, wxEVT_LEFT_DCLICK, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_LEFT_UP, Middle(*ok_), false);
    SendKey(*cancel_, wxEVT_KEY_DOWN, WXK_SPACE);
    EXPECT_EQ(2u, clicks_.size()) << "the space bar clicks on release";
    SendKey(*cancel_, wxEVT_KEY_UP, WXK_SPACE);
    EXPECT_EQ(clicks_, (std::vector<int>{IDOK, IDOK, IDCANCEL}));
    ok_->SetFocus();
    ok_->Disable();
    PumpFor(20);
    EXPECT_TRUE(cancel_->HasFocus()) << "the label between takes no focus";
    cancel_->Disable();
    PumpFor(20);
    EXPECT_TRUE(field_->HasFocus()) << "after the last control the search wraps round";
    ClickMiddle(*cancel_);
    EXPECT_EQ(3u, clicks_.size());
    EXPECT_FALSE(ok_->SetColor(CHoverButton::SlotCount, *wxGREEN, true));
}
