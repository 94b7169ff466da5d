#pragma once

#include <windows.h>

// Makes a label a hyperlink, for the mouse and the keyboard alike. It reports STN_CLICKED to its
// parent, as a clicked label does, when
// - the left button is pressed and released on it (not when it goes down, a label's own way);
// - it has the focus and Enter or Space is pressed.
// Tab reaches it, in creation order; while it has the focus it shows the focus rectangle around
// its text; a screen reader reads it as a link named by its text. At rest it looks as before.
void MakeLink(HWND label);

// Whether the window exists and is a link made by MakeLink.
bool IsLink(HWND window);
