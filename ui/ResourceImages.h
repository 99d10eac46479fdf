// Pictures embedded in the program file: icons and cursors found by number.
#pragma once

#include <wx/bitmap.h>
#include <wx/cursor.h>

// The icon with that number at its own size; an invalid bitmap when there is none.
wxBitmap LoadIconResource(unsigned id);
// The icon with that number in the size closest to the one asked for.
wxBitmap LoadIconResource(unsigned id, int size);
// The cursor with that number with its own hot spot; an invalid cursor when none.
wxCursor LoadCursorResource(unsigned id);
