#include "ui/DialogLook.h"

#include <utility>

#include <wx/window.h>

#include "ui/CHoverButton.h"

wxColour DialogBackgroundColour() { return wxColour(255, 255, 240); }
wxColour DialogTextBackgroundColour() { return wxColour(255, 255, 248); }
wxColour DialogTextColour() { return wxColour(0, 0, 0); }

const wxBrush& DialogBrush() {
    static const wxBrush brush(DialogBackgroundColour());
    return brush;
}

const wxBrush& DialogCtlColor(wxWindow& dialog) {
    dialog.SetBackgroundColour(DialogBrush().GetColour());
    dialog.SetForegroundColour(DialogTextColour());
    for (wxWindow* child : dialog.GetChildren()) {
        // A dialog opened over this one has its own look.
        if (child->IsTopLevel()) continue;
        DialogCtlColor(*child);
    }
    return DialogBrush();
}

void ApplyButtonStyle(CHoverButton& button, int roleId) {
    const std::pair<uint8_t, wxColour> look[] = {
        {CHoverButton::BackHover, wxColour(255, 255, 255)}, {CHoverButton::BackIdle, DialogBackgroundColour()},
        {CHoverButton::BackFocus, DialogBackgroundColour()}, {CHoverButton::TextHover, wxColour(90, 90, 255)},
        {CHoverButton::TextIdle, wxColour(0, 0, 238)},      {CHoverButton::TextFocus, wxColour(0, 0, 238)}};
    // Every slot of the table exists, so none of these can be refused.
    for (const auto& [slot, colour] : look) (void)button.SetColor(slot, colour, true);

    const int id = roleId ? roleId : button.GetId();
    if (id > 0) {
        const unsigned hovered = static_cast<unsigned>(id < 100 ? id + 10000 : id);
        button.SetIcons(hovered, hovered + 10000);
    } else {
        // Toolkit-generated ids carry no icons.
        button.SetIconHandles(wxBitmap(), wxBitmap());
    }
    // Without the hand cursor the button keeps the standard pointer and still works.
    (void)button.SetCursorResource(HandCursorId, true);
    button.FitCaption();
}
