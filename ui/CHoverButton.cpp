#include "ui/CHoverButton.h"

#include <algorithm>
#include <vector>

#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/toplevel.h>

#include "ui/ResourceImages.h"

namespace {

// Breaks text into lines no wider than width, at spaces where possible and inside a
// word only when the word alone is too wide; explicit line breaks are kept.
std::vector<wxString> WrapLines(wxDC& dc, const wxString& text, int width) {
    std::vector<wxString> lines;
    for (const wxString& paragraph : wxSplit(text, '\n', '\0')) {
        wxString line;
        for (const wxString& word : wxSplit(paragraph, ' ', '\0')) {
            wxString candidate = line.empty() ? word : line + ' ' + word;
            if (line.empty() || dc.GetTextExtent(candidate).x <= width) {
                line = candidate;
            } else {
                lines.push_back(line);
                line = word;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

CHoverButton::CHoverButton(wxWindow* parent, wxWindowID id, const wxString& label,
                           const wxPoint& pos, const wxSize& size) {
    // The button paints every pixel itself, so the toolkit must not erase first.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE);
    SetLabel(label);
    SetDefaultColors(false);
    if (size == wxDefaultSize) SetInitialSize(size);

    Bind(wxEVT_PAINT, &CHoverButton::OnPaint, this);
    for (const auto& type : {wxEVT_MOTION, wxEVT_ENTER_WINDOW}) Bind(type, &CHoverButton::OnMouseMove, this);
    // A quick second click arrives as a double click; it is a click like the first.
    for (const auto& type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_DCLICK}) Bind(type, &CHoverButton::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CHoverButton::OnLeftUp, this);
    Bind(wxEVT_LEAVE_WINDOW, &CHoverButton::OnLeave, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CHoverButton::OnCaptureLost, this);
    Bind(wxEVT_SET_FOCUS, &CHoverButton::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CHoverButton::OnKillFocus, this);
    Bind(wxEVT_KEY_DOWN, &CHoverButton::OnKeyDown, this);
    Bind(wxEVT_KEY_UP, &CHoverButton::OnKeyUp, this);

    // Losing activation must end the hover look, and only the window hears about it.
    topLevel_ = wxGetTopLevelParent(this);
    if (topLevel_) topLevel_->Bind(wxEVT_ACTIVATE, &CHoverButton::OnTopLevelActivate, this);
}

CHoverButton::~CHoverButton() {
    if (HasCapture()) ReleaseMouse();
    if (topLevel_) topLevel_->Unbind(wxEVT_ACTIVATE, &CHoverButton::OnTopLevelActivate, this);
}

bool CHoverButton::SetColor(uint8_t slot, const wxColour& colour, bool repaint) {
    if (slot >= SlotCount) return false;
    colours_[slot] = colour;
    if (repaint) Refresh();
    return true;
}

void CHoverButton::SetDefaultColors(bool repaint) {
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    colours_[BackHover] = colours_[BackIdle] = colours_[BackFocus] = face;
    colours_[TextHover] = colours_[TextIdle] = colours_[TextFocus] = text;
    if (repaint) Refresh();
}

wxColour CHoverButton::GetColor(uint8_t slot) const {
    return slot < SlotCount ? colours_[slot] : wxColour();
}

void CHoverButton::SetIcons(unsigned inIconId, unsigned outIconId) {
    wxBitmap in = inIconId ? LoadIconResource(inIconId) : wxBitmap();
    wxBitmap out = outIconId ? LoadIconResource(outIconId) : wxBitmap();
    SetIconHandles(in, out);
}

void CHoverButton::SetIconHandles(const wxBitmap& inIcon, const wxBitmap& outIcon) {
    inIcon_ = inIcon;
    outIcon_ = outIcon;
    Refresh();
}

bool CHoverButton::SetCursorResource(unsigned cursorId, bool repaint) {
    cursor_ = cursorId ? LoadCursorResource(cursorId) : wxCursor();
    SetCursor(cursor_.IsOk() ? cursor_ : wxNullCursor);
    if (repaint) Refresh();
    return !cursorId || cursor_.IsOk();
}

void CHoverButton::CancelHover() {
    if (flat_ && hover_) {
        hover_ = false;
        Refresh();
    }
}

void CHoverButton::SetDefault(bool isDefault) {
    wxTopLevelWindow* tlw = wxDynamicCast(topLevel_, wxTopLevelWindow);
    if (isDefault && tlw) {
        // One default per window: the previous one gives the role up.
        if (auto* previous = dynamic_cast<CHoverButton*>(tlw->GetDefaultItem())) {
            if (previous != this) previous->SetDefault(false);
        }
        tlw->SetDefaultItem(this);
    } else if (!isDefault && tlw && tlw->GetDefaultItem() == this) {
        tlw->SetDefaultItem(nullptr);
    }
    isDefault_ = isDefault;
    Refresh();
}

void CHoverButton::Click() {
    wxCommandEvent event(wxEVT_BUTTON, GetId());
    event.SetEventObject(this);
    ProcessWindowEvent(event);
}

bool CHoverButton::Enable(bool enable) {
    if (!wxControl::Enable(enable)) return false;
    if (!enable) {
        MoveFocusPastSelf();
        if (tracking_ && HasCapture()) ReleaseMouse();
        tracking_ = spaceDown_ = false;
        pressed_ = false;
        CancelHover();
    }
    Refresh();
    return true;
}

void CHoverButton::MoveFocusPastSelf() {
    wxWindow* parent = GetParent();
    if (!parent) return;
    const wxWindowList& siblings = parent->GetChildren();
    auto self = std::find(siblings.begin(), siblings.end(), this);
    if (self == siblings.end()) return;
    // The next control in tab order after this one, wrapping round to the first.
    auto it = self;
    for (++it;; ++it) {
        if (it == siblings.end()) it = siblings.begin();
        if (it == self) break;
        wxWindow* w = *it;
        if (!w->IsTopLevel() && w->IsShown() && w->IsEnabled() && w->AcceptsFocusFromKeyboard()) {
            w->SetFocus();
            return;
        }
    }
    parent->SetFocus();
}

bool CHoverButton::TopLevelIsActive() const {
    return topLevel_ && static_cast<wxTopLevelWindow*>(topLevel_)->IsActive();
}

void CHoverButton::OnMouseMove(wxMouseEvent& event) {
    event.Skip();
    if (tracking_) {
        // While the mouse is held the button sinks only when the pointer is on it.
        SetPressed(GetClientRect().Contains(event.GetPosition()));
    }
    // A drag that started elsewhere does not light the button up.
    if ((event.LeftIsDown() && !hover_) || !flat_) return;
    const bool over = GetClientRect().Contains(event.GetPosition());
    if (over && TopLevelIsActive()) {
        if (!hover_) {
            hover_ = true;
            Refresh();
        }
    } else {
        CancelHover();
    }
}

void CHoverButton::OnLeave(wxMouseEvent& event) {
    event.Skip();
    // While held the capture keeps the mouse events coming; the hover look goes
    // once the pointer is off the button and the press is over.
    if (!tracking_) CancelHover();
}

void CHoverButton::OnLeftDown(wxMouseEvent& event) {
    if (!IsEnabled()) return;
    SetFocus();
    if (!HasCapture()) CaptureMouse();
    tracking_ = true;
    SetPressed(true);
}

void CHoverButton::OnLeftUp(wxMouseEvent& event) {
    if (!tracking_) return;
    tracking_ = false;
    if (HasCapture()) ReleaseMouse();
    const bool clicked = pressed_;
    SetPressed(false);
    if (!GetClientRect().Contains(event.GetPosition())) CancelHover();
    if (clicked) Click();
}

void CHoverButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
    tracking_ = false;
    SetPressed(false);
    CancelHover();
}

void CHoverButton::OnFocus(wxFocusEvent& event) {
    event.Skip();
    Refresh();
}

void CHoverButton::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    if (spaceDown_) {
        spaceDown_ = false;
        SetPressed(false);
    }
    CancelHover();
    Refresh();
}

void CHoverButton::OnKeyDown(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE && !event.HasAnyModifiers()) {
        if (!spaceDown_) {
            spaceDown_ = true;
            SetPressed(true);
        }
        return;
    }
    event.Skip();
}

void CHoverButton::OnKeyUp(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE && spaceDown_) {
        spaceDown_ = false;
        SetPressed(false);
        Click();
        return;
    }
    event.Skip();
}

void CHoverButton::OnTopLevelActivate(wxActivateEvent& event) {
    event.Skip();
    if (!event.GetActive()) CancelHover();
}

void CHoverButton::SetPressed(bool pressed) {
    if (pressed_ == pressed) return;
    pressed_ = pressed;
    Refresh();
}

void CHoverButton::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    DrawItem(dc);
}

void CHoverButton::DrawBackground(wxDC& dc, const wxRect& rect) {
    const wxColour& colour = (hover_ || pressed_) ? colours_[BackHover]
                             : HasFocus()         ? colours_[BackFocus]
                                                  : colours_[BackIdle];
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(colour));
    dc.DrawRectangle(rect);
}

void CHoverButton::DrawBorder(wxDC& dc, const wxRect& rect) {
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    // Pressed sinks (dark top-left), hovered rises (light top-left).
    const wxColour& topLeft = pressed_ ? shadow : light;
    const wxColour& bottomRight = pressed_ ? light : shadow;
    // Filled one-pixel strips rather than lines: anti-aliased back ends put lines
    // between pixels and blur them.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(topLeft));
    dc.DrawRectangle(rect.x, rect.y, rect.width, 1);
    dc.DrawRectangle(rect.x, rect.y, 1, rect.height);
    dc.SetBrush(wxBrush(bottomRight));
    dc.DrawRectangle(rect.x, rect.GetBottom(), rect.width, 1);
    dc.DrawRectangle(rect.GetRight(), rect.y, 1, rect.height);
}

void CHoverButton::DrawItem(wxDC& dc) {
    const wxRect item(GetClientSize());
    const bool lit = hover_ || pressed_;
    const bool disabled = !IsEnabled();
    dc.SetFont(GetFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);

    DrawBackground(dc, item);
    if (drawBorder_ && (pressed_ || hover_)) DrawBorder(dc, item);

    wxRect caption = item;
    const wxString text = GetLabelText();
    if (inIcon_.IsOk()) {
        const wxBitmap& icon = lit ? inIcon_ : outIcon_.IsOk() ? outIcon_ : inIcon_;
        int x;
        if (!text.empty()) {
            x = item.x + 3;
            caption.x += icon.GetWidth() + 3;
            caption.width -= icon.GetWidth() + 3;
        } else {
            x = item.x + (item.width - icon.GetWidth()) / 2;
        }
        int y = item.y + (item.height - icon.GetHeight()) / 2;
        if (pressed_) ++x, ++y;
        dc.DrawBitmap(disabled ? icon.ConvertToDisabled() : icon, x, y, true);
    }

    if (text.empty()) return;
    if (pressed_) caption.Offset(1, 1);
    const std::vector<wxString> lines = WrapLines(dc, text, caption.width);
    const int lineHeight = dc.GetCharHeight();
    int blockWidth = 0;
    for (const wxString& line : lines) blockWidth = std::max(blockWidth, dc.GetTextExtent(line).x);
    const int blockHeight = lineHeight * static_cast<int>(lines.size());
    const wxRect block(caption.x + (caption.width - blockWidth) / 2,
                       caption.y + (caption.height - blockHeight) / 2, blockWidth, blockHeight);

    auto drawLines = [&](const wxColour& colour, int dx, int dy) {
        dc.SetTextForeground(colour);
        int y = block.y + dy;
        for (const wxString& line : lines) {
            const int w = dc.GetTextExtent(line).x;
            dc.DrawText(line, block.x + dx + (block.width - w) / 2, y);
            y += lineHeight;
        }
    };
    if (disabled) {
        // Embossed: a light copy one pixel down and right under a shadowed one.
        drawLines(wxSystemSettings::GetColour(wxSYS_COLOUR_3DHIGHLIGHT), 1, 1);
        drawLines(wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW), 0, 0);
    } else {
        drawLines(lit ? colours_[TextHover] : colours_[TextIdle], 0, 0);
    }
}

void CHoverButton::FitCaption() {
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    // The icon sits 3 pixels in, the caption 3 pixels after it; a margin of the same
    // on the right keeps the text off the border.
    const int needed = dc.GetTextExtent(GetLabelText()).x + (inIcon_.IsOk() ? inIcon_.GetWidth() + 6 : 6) + 3;
    const wxRect now = GetRect();
    if (needed <= now.width) return;
    SetSize(now.x - (needed - now.width) / 2, now.y, needed, now.height);
}

wxSize CHoverButton::DoGetBestSize() const {
    wxClientDC dc(const_cast<CHoverButton*>(this));
    dc.SetFont(GetFont());
    wxSize size = dc.GetTextExtent(GetLabelText());
    if (inIcon_.IsOk()) size.x += inIcon_.GetWidth() + 3;
    size.x += 16;
    size.y = std::max(size.y, inIcon_.IsOk() ? inIcon_.GetHeight() : 0) + 8;
    return size;
}
