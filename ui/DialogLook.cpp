#include "ui/DialogLook.h"

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

int ApplyButtonStyle(CHoverButton& button, int roleId) {
    button.SetColor(CHoverButton::BackHover, wxColour(255, 255, 255), true);
    button.SetColor(CHoverButton::BackIdle, DialogBackgroundColour(), true);
    button.SetColor(CHoverButton::BackFocus, DialogBackgroundColour(), true);
    button.SetColor(CHoverButton::TextHover, wxColour(90, 90, 255), true);
    button.SetColor(CHoverButton::TextIdle, wxColour(0, 0, 238), true);
    button.SetColor(CHoverButton::TextFocus, wxColour(0, 0, 238), true);

    const int id = roleId ? roleId : button.GetId();
    if (id > 0) {
        const unsigned hovered = static_cast<unsigned>(id < 100 ? id + 10000 : id);
        button.SetIcons(hovered, hovered + 10000);
    } else {
        // Toolkit-generated ids carry no icons.
        button.SetIconHandles(wxBitmap(), wxBitmap());
    }
    return button.SetCursorResource(HandCursorId, true);
}
