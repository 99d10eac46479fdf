// The bar of the progress window, drawn by the program itself: the theme's own bar is a
// thin line on some desktops, and this one fills the place the layout gives it, with
// a sunken frame and blocks up to the value.
#pragma once

#include <wx/control.h>

class CProgressBar : public wxControl {
public:
    CProgressBar(wxWindow* parent, wxWindowID id, int range, const wxPoint& pos, const wxSize& size);

    void SetRange(int range);
    int GetRange() const { return range_; }
    // Clamped to 0..range.
    void SetValue(int value);
    int GetValue() const { return value_; }

private:
    void OnPaint(wxPaintEvent& event);

    int range_ = 1;
    int value_ = 0;
};
