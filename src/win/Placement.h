#pragma once

#include <windows.h>

// Where a window of this size stands centred over another window, kept within the work area of
// that window's monitor; without one (null), centred on the primary monitor's work area.
POINT CentredOn(HWND reference, int width, int height);
