#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "WxTestSupport.h"
#include "base/UserInterface.h"
#include "ui/CHoverButton.h"
#include "ui/DialogLook.h"

namespace {

// A shown, active dialog with an edit field and three program buttons in tab order.
class uiHoverButton : public ::testing::Test {
protected:
    void SetUp() override {
        dialog_ = new wxDialog(nullptr, wxID_ANY, "buttons", wxDefaultPosition, wxSize(400, 200));
        field_ = new wxTextCtrl(dialog_, 1010, "", wxPoint(10, 10), wxSize(100, 25));
        ok_ = new CHoverButton(dialog_, IDOK, "OK", wxPoint(10, 60), wxSize(90, 28));
        label_ = new wxStaticText(dialog_, wxID_ANY, "label", wxPoint(10, 150));
        cancel_ = new CHoverButton(dialog_, IDCANCEL, "Cancel", wxPoint(110, 60), wxSize(90, 28));
        change_ = new CHoverButton(dialog_, 1005, "Change password", wxPoint(210, 60), wxSize(150, 28));
        for (CHoverButton* b : {ok_, cancel_, change_}) ApplyButtonStyle(*b, 0);
        ShowAndActivate(*dialog_);
        clicks_ = 0;
        dialog_->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) { ++clicks_; lastId_ = e.GetId(); });
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
    static wxColour Pixel(const wxImage& image, int x, int y) {
        return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
    }
    static wxPoint Middle(wxWindow& w) { return wxPoint(w.GetClientSize().x / 2, w.GetClientSize().y / 2); }

    wxDialog* dialog_ = nullptr;
    wxTextCtrl* field_ = nullptr;
    wxStaticText* label_ = nullptr;
    CHoverButton* ok_ = nullptr;
    CHoverButton* cancel_ = nullptr;
    CHoverButton* change_ = nullptr;
    int clicks_ = 0;
    int lastId_ = 0;
};

const wxColour kIvory(255, 255, 240);
const wxColour kWhite(255, 255, 255);

}  // namespace

TEST_F(uiHoverButton, IdleButtonIsFlatOnIvoryAndHoverRaisesItOnWhite) {
    ASSERT_TRUE(dialog_->IsActive()) << "the display gave the test window no focus";
    const wxImage idle = Render(*ok_);
    EXPECT_EQ(kIvory, Pixel(idle, 0, 0));
    EXPECT_EQ(kIvory, Pixel(idle, idle.GetWidth() - 1, idle.GetHeight() - 1));

    SendMouse(*ok_, wxEVT_MOTION, Middle(*ok_), false);
    ASSERT_TRUE(ok_->IsHovered());
    const wxImage hover = Render(*ok_);
    EXPECT_EQ(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT), Pixel(hover, 0, 0));
    EXPECT_EQ(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW),
              Pixel(hover, hover.GetWidth() - 1, hover.GetHeight() - 1));
    EXPECT_EQ(kWhite, Pixel(hover, hover.GetWidth() - 2, 1));

    SendMouse(*ok_, wxEVT_LEAVE_WINDOW, wxPoint(-5, -5), false);
    EXPECT_FALSE(ok_->IsHovered());
}

TEST_F(uiHoverButton, PressSinksTheBorderAndShiftsTheIcon) {
    SendMouse(*ok_, wxEVT_MOTION, Middle(*ok_), false);
    const wxImage hover = Render(*ok_);
    SendMouse(*ok_, wxEVT_LEFT_DOWN, Middle(*ok_), true);
    ASSERT_TRUE(ok_->IsPressed());
    const wxImage pressed = Render(*ok_);
    SendMouse(*ok_, wxEVT_LEFT_UP, Middle(*ok_), false);

    EXPECT_EQ(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW), Pixel(pressed, 0, 0));
    // The in-icon sits 3 pixels from the left edge and moves by one pixel when pressed.
    const int y = hover.GetHeight() / 2;
    bool shifted = true;
    for (int x = 3; x < 19; ++x) {
        if (Pixel(hover, x, y) != Pixel(pressed, x + 1, y + 1)) shifted = false;
    }
    EXPECT_TRUE(shifted);
}

TEST_F(uiHoverButton, RoleIconsFollowTheIdAndSwapUnderThePointer) {
    ASSERT_TRUE(ok_->HasInIcon() && ok_->HasOutIcon()) << "icons 10001/20001 missing";
    EXPECT_TRUE(change_->HasInIcon() && change_->HasOutIcon()) << "icons 1005/11005 missing";

    // Styled by its id 1 or by the role 1: the same look.
    CHoverButton other(dialog_, 1006, "OK", wxPoint(10, 100), ok_->GetSize());
    ApplyButtonStyle(other, 0);
    EXPECT_FALSE(other.HasInIcon());
    ApplyButtonStyle(other, IDOK);
    EXPECT_TRUE(other.HasInIcon());
    const wxImage byRole = Render(other);
    const wxImage byId = Render(*ok_);
    EXPECT_EQ(0, memcmp(byRole.GetData(), byId.GetData(), byId.GetWidth() * byId.GetHeight() * 3));

    // Restyling replaces the icons: No's idle icon differs from OK's.
    ApplyButtonStyle(other, IDNO);
    const wxImage no = Render(other);
    EXPECT_NE(0, memcmp(no.GetData(), byId.GetData(), byId.GetWidth() * byId.GetHeight() * 3));

    const wxImage idle = Render(*ok_);
    SendMouse(*ok_, wxEVT_MOTION, Middle(*ok_), false);
    const wxImage hover = Render(*ok_);
    const int y = idle.GetHeight() / 2;
    int differing = 0;
    for (int x = 3; x < 19; ++x) differing += Pixel(idle, x, y) != Pixel(hover, x, y) ? 1 : 0;
    EXPECT_GT(differing, 0) << "hovered and idle icons look the same";
}

TEST_F(uiHoverButton, ColourSlotsBeyondTheLastAreRefused) {
    wxColour before[CHoverButton::SlotCount];
    for (uint8_t slot = 0; slot < CHoverButton::SlotCount; ++slot) before[slot] = ok_->GetColor(slot);
    EXPECT_EQ(3, ok_->SetColor(6, *wxGREEN, true));
    EXPECT_EQ(3, ok_->SetColor(255, *wxGREEN, true));
    for (uint8_t slot = 0; slot < CHoverButton::SlotCount; ++slot) EXPECT_EQ(before[slot], ok_->GetColor(slot));
    EXPECT_EQ(0, ok_->SetColor(CHoverButton::BackFocus, *wxGREEN, true));
    EXPECT_EQ(*wxGREEN, ok_->GetColor(CHoverButton::BackFocus));
}

TEST_F(uiHoverButton, FocusedButtonUsesTheFocusBackground) {
    ok_->SetColor(CHoverButton::BackFocus, wxColour(10, 20, 30), false);
    ok_->SetFocus();
    PumpFor(20);
    ASSERT_TRUE(ok_->HasFocus());
    EXPECT_EQ(wxColour(10, 20, 30), Pixel(Render(*ok_), 0, 0));
    cancel_->SetFocus();
    PumpFor(20);
    EXPECT_EQ(kIvory, Pixel(Render(*ok_), 0, 0));
}

TEST_F(uiHoverButton, HoverNeedsAnActiveWindowAndNoDragFromOutside) {
    // A press that started elsewhere and is dragged onto the button does not light it.
    SendMouse(*ok_, wxEVT_MOTION, Middle(*ok_), true);
    EXPECT_FALSE(ok_->IsHovered());

    SendMouse(*ok_, wxEVT_MOTION, Middle(*ok_), false);
    ASSERT_TRUE(ok_->IsHovered());
    wxActivateEvent deactivate(wxEVT_ACTIVATE, false);
    dialog_->GetEventHandler()->ProcessEvent(deactivate);
    EXPECT_FALSE(ok_->IsHovered());

    SendMouse(*ok_, wxEVT_MOTION, Middle(*ok_), false);
    ASSERT_TRUE(ok_->IsHovered());
    wxFocusEvent lost(wxEVT_KILL_FOCUS, ok_->GetId());
    ok_->GetEventHandler()->ProcessEvent(lost);
    EXPECT_FALSE(ok_->IsHovered());

    // Another window of the program in front: the pointer on this one lights nothing.
    wxDialog front(nullptr, wxID_ANY, "front", wxPoint(600, 400), wxSize(100, 100));
    ShowAndActivate(front);
    ASSERT_FALSE(dialog_->IsActive());
    SendMouse(*ok_, wxEVT_MOTION, Middle(*ok_), false);
    EXPECT_FALSE(ok_->IsHovered());
}

TEST_F(uiHoverButton, RealPointerLightsTheButtonAndClicksIt) {
    wxUIActionSimulator sim;
    sim.MouseMove(ok_->ClientToScreen(Middle(*ok_)));
    PumpFor(150);
    EXPECT_TRUE(ok_->IsHovered());
    EXPECT_FALSE(cancel_->IsHovered());
    sim.MouseClick();
    PumpFor(150);
    EXPECT_EQ(1, clicks_);
    EXPECT_EQ(IDOK, lastId_);

    sim.MouseMove(cancel_->ClientToScreen(Middle(*cancel_)));
    PumpFor(150);
    EXPECT_FALSE(ok_->IsHovered());
    EXPECT_TRUE(cancel_->IsHovered());
    sim.MouseDblClick();
    PumpFor(150);
    EXPECT_EQ(3, clicks_);

    // Off every window, so the pointer lies on nothing that later tests show.
    sim.MouseMove(1, 1);
    PumpFor(150);
    EXPECT_FALSE(cancel_->IsHovered());
}

TEST_F(uiHoverButton, ClicksCountOnlyWhenReleasedOnTheButton) {
    ClickMiddle(*ok_);
    EXPECT_EQ(1, clicks_);
    EXPECT_EQ(IDOK, lastId_);

    // Pressed, dragged off and released outside: no click.
    SendMouse(*ok_, wxEVT_LEFT_DOWN, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_MOTION, wxPoint(-20, -20), true);
    EXPECT_FALSE(ok_->IsPressed());
    SendMouse(*ok_, wxEVT_LEFT_UP, wxPoint(-20, -20), false);
    EXPECT_EQ(1, clicks_);

    // A quick second click arrives as a double click and still counts.
    SendMouse(*ok_, wxEVT_LEFT_DOWN, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_LEFT_UP, Middle(*ok_), false);
    SendMouse(*ok_, wxEVT_LEFT_DCLICK, Middle(*ok_), true);
    SendMouse(*ok_, wxEVT_LEFT_UP, Middle(*ok_), false);
    EXPECT_EQ(3, clicks_);

    // The space bar clicks on release.
    SendKey(*cancel_, wxEVT_KEY_DOWN, WXK_SPACE);
    EXPECT_EQ(3, clicks_);
    SendKey(*cancel_, wxEVT_KEY_UP, WXK_SPACE);
    EXPECT_EQ(4, clicks_);
    EXPECT_EQ(IDCANCEL, lastId_);

    // A disabled button does not click.
    cancel_->Disable();
    ClickMiddle(*cancel_);
    EXPECT_EQ(4, clicks_);
}

TEST_F(uiHoverButton, DisablingMovesTheFocusToTheNextControl) {
    ok_->SetFocus();
    PumpFor(20);
    ASSERT_TRUE(ok_->HasFocus());
    ok_->Disable();
    PumpFor(20);
    // The static text between them takes no focus.
    EXPECT_TRUE(cancel_->HasFocus());

    // After the last control the search wraps round to the first.
    change_->SetFocus();
    PumpFor(20);
    change_->Disable();
    PumpFor(20);
    EXPECT_TRUE(field_->HasFocus());
}

TEST_F(uiHoverButton, DefaultRoleMovesBetweenButtons) {
    ok_->SetDefault();
    EXPECT_TRUE(ok_->IsDefault());
    EXPECT_EQ(ok_, dialog_->GetDefaultItem());
    cancel_->SetDefault();
    EXPECT_FALSE(ok_->IsDefault());
    EXPECT_TRUE(cancel_->IsDefault());
    EXPECT_EQ(cancel_, dialog_->GetDefaultItem());
}

TEST_F(uiHoverButton, HandCursorLoadsAndAMissingCursorIsReported) {
    EXPECT_TRUE(ok_->HasOwnCursor());
    EXPECT_EQ(1, ok_->SetCursorResource(4242, true));
    EXPECT_FALSE(ok_->HasOwnCursor());
    EXPECT_EQ(0, ok_->SetCursorResource(HandCursorId, false));
    EXPECT_TRUE(ok_->HasOwnCursor());
}
