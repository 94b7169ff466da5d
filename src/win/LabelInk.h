#pragma once

#include <windows.h>

// Label text colours: the system's text colour for dialog surfaces, or a colour of the design.
enum class Ink { System, Black, Link };

struct SystemInks {
    COLORREF text; // COLOR_BTNTEXT
    COLORREF link; // COLOR_HOTLIGHT
};

// The colour of an ink. In high contrast the design's black becomes the system's text colour
// and its link blue the system's link colour, so that no text fades into the scheme.
COLORREF InkColour(Ink ink, bool highContrast, const SystemInks& system);

// The colour of an ink now: in the system's current colours and contrast setting.
COLORREF CurrentInkColour(Ink ink);
