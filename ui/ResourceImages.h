// Pictures embedded in the program file: icons and cursors found by number.
#pragma once

#include <vector>

#include <wx/bitmap.h>
#include <wx/cursor.h>

// The icon with that number at its own size; an invalid bitmap when there is none.
wxBitmap LoadIconResource(unsigned id);
// Every image of the icon with that number (each size it has); empty when there is none.
std::vector<wxBitmap> LoadIconImages(unsigned id);
// The cursor with that number with its own hot spot; an invalid cursor when none.
wxCursor LoadCursorResource(unsigned id);
