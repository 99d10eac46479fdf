#include "ui/CProgressBar.h"

#include <algorithm>
#include <cstdint>

#include <wx/dcbuffer.h>
#include <wx/settings.h>

CProgressBar::CProgressBar(wxWindow* parent, wxWindowID id, int range, const wxPoint& pos, const wxSize& size)
    : range_(std::max(range, 1)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE);
    Bind(wxEVT_PAINT, &CProgressBar::OnPaint, this);
}

void CProgressBar::SetRange(int range) {
    range_ = std::max(range, 1);
    value_ = std::min(value_, range_);
    Refresh();
}

void CProgressBar::SetValue(int value) {
    value = std::clamp(value, 0, range_);
    if (value == value_) return;
    value_ = value;
    Refresh();
    // The work that moves the bar pumps the loop only now and then; the bar shows at once.
    Update();
}

void CProgressBar::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxRect all(GetClientSize());
    // A sunken well: dark top and left, light bottom and right, white inside.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.DrawRectangle(all);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT)));
    dc.DrawRectangle(all.x + 1, all.y + 1, all.width - 1, all.height - 1);
    const wxRect inside = wxRect(all).Deflate(1);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(inside);

    // Blocks of the selection colour up to the value, each two thirds as wide as the
    // bar is high, with a gap between; the last one may be cut.
    const wxRect track = wxRect(inside).Deflate(2);
    const int filled = static_cast<int>(int64_t{track.width} * value_ / range_);
    const int block = std::max(track.height * 2 / 3, 2), step = block + 2;
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
    for (int x = 0; x < filled; x += step) {
        dc.DrawRectangle(track.x + x, track.y, std::min(block, filled - x), track.height);
    }
}
