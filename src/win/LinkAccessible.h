#pragma once

#include <windows.h>

// The answer to WM_GETOBJECT for a link label's client area: the system's accessible object for
// the label, read by a screen reader as a link named by its text, whose default action clicks
// it. 0 where it cannot be made; the label's own answer stands then.
LRESULT LinkAccessibleResult(HWND link, WPARAM flags);
