// The look every dialog of the program shares with its pages: an ivory background,
// black text, and flat hover buttons with blue captions, role icons and a hand cursor.
#pragma once

#include <wx/brush.h>
#include <wx/colour.h>

class CHoverButton;
class wxWindow;

// Background of dialogs, controls and pages (the pages use #FFFFF0 too).
wxColour DialogBackgroundColour();
// Background behind control text: a shade lighter than the brush.
wxColour DialogTextBackgroundColour();
wxColour DialogTextColour();

// The program-wide background brush. It lives for the whole run; callers never free it.
const wxBrush& DialogBrush();

// Gives a dialog and every control in it the ivory background and black text, and
// returns the brush the background is painted with.
const wxBrush& DialogCtlColor(wxWindow& dialog);

// The hand cursor every program button shows.
constexpr unsigned HandCursorId = 136;

// Colours, role icons and the hand cursor for one button. roleId 0 means the
// button's own window id; ids below 100 are dialog results (OK 1 ... No 7) whose
// icons are 10000 + id (hovered) and 20000 + id (idle); other ids use id and
// id + 10000. The button is widened, if need be, until its caption fits beside the icon.
void ApplyButtonStyle(CHoverButton& button, int roleId);
