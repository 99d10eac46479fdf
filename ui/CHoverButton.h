// A flat push button that draws itself on the dialog's colour: a small icon left of
// its caption, a thin raised border and other colours while the pointer is over it,
// a sunken look while pressed, and its own pointer shape. It sends wxEVT_BUTTON with
// its id to its parent like any push button.
#pragma once

#include <cstdint>

#include <wx/bitmap.h>
#include <wx/control.h>
#include <wx/cursor.h>

class CHoverButton : public wxControl {
public:
    // Colour slots.
    enum Slot : uint8_t {
        BackHover = 0,    // background while hovered or pressed
        TextHover = 1,    // caption while hovered or pressed
        BackIdle = 2,     // background otherwise
        TextIdle = 3,     // caption otherwise, also while focused
        BackFocus = 4,    // background while focused and neither hovered nor pressed
        TextFocus = 5,    // kept with the others; the drawing takes TextIdle instead
        SlotCount = 6
    };

    CHoverButton(wxWindow* parent, wxWindowID id, const wxString& label,
                 const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);
    ~CHoverButton() override;

    // False when the slot does not exist (nothing changes then).
    [[nodiscard]] bool SetColor(uint8_t slot, const wxColour& colour, bool repaint);
    // The system's button face for the backgrounds and button text for the captions.
    void SetDefaultColors(bool repaint);
    wxColour GetColor(uint8_t slot) const;
    // Icons by resource number (0 = none): inIcon while hovered or pressed, outIcon
    // otherwise. A number without a resource leaves that icon out.
    void SetIcons(unsigned inIconId, unsigned outIconId);
    // Replaces both icons (either may be invalid) and repaints.
    void SetIconHandles(const wxBitmap& inIcon, const wxBitmap& outIcon);
    // False when the cursor cannot be loaded (the standard pointer stays).
    // 0 as the number removes the button's own cursor.
    [[nodiscard]] bool SetCursorResource(unsigned cursorId, bool repaint);
    void CancelHover();

    // The default button is the one Enter presses when no other button has the focus.
    void SetDefault(bool isDefault = true);
    bool IsDefault() const { return isDefault_; }
    bool IsHovered() const { return hover_; }
    bool IsPressed() const { return pressed_; }
    bool HasInIcon() const { return inIcon_.IsOk(); }
    bool HasOutIcon() const { return outIcon_.IsOk(); }
    bool HasOwnCursor() const { return cursor_.IsOk(); }

    // Widens the button about its middle when its caption does not fit on one line
    // beside its icon, so the text is never cut or broken.
    void FitCaption();

    // Sends the click to the parent, as a mouse click or the space bar does.
    void Click();
    // Draws the button as it looks now into dc, at the origin, at the client size.
    void DrawItem(wxDC& dc);

    // Disabling also moves the keyboard focus on to the next control that takes it,
    // so the keyboard never stays on a dead button.
    bool Enable(bool enable = true) override;
    bool AcceptsFocus() const override { return IsShown() && IsEnabled(); }

protected:
    virtual void DrawBackground(wxDC& dc, const wxRect& rect);
    virtual void DrawBorder(wxDC& dc, const wxRect& rect);
    wxSize DoGetBestSize() const override;

private:
    void OnPaint(wxPaintEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnFocus(wxFocusEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    void OnTopLevelActivate(wxActivateEvent& event);
    void SetPressed(bool pressed);
    void MoveFocusPastSelf();
    bool TopLevelIsActive() const;

    bool flat_ = true;
    bool hover_ = false;
    bool pressed_ = false;
    bool isDefault_ = false;
    bool drawBorder_ = true;
    // The mouse went down on the button and is held (the button has the capture).
    bool tracking_ = false;
    bool spaceDown_ = false;
    wxColour colours_[SlotCount];
    wxCursor cursor_;
    wxBitmap inIcon_;
    wxBitmap outIcon_;
    wxWindow* topLevel_ = nullptr;
};
