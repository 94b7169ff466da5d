#pragma once

#include <windows.h>

// 8-point MS Sans Serif, the dialog font the layouts were designed in, where the system has
// that face at the size asked for; it is a bitmap font for 96 DPI, so elsewhere the system's
// scalable dialog font at the same size ("MS Shell Dlg"), which keeps every text whole. So too
// at any DPI but the screen's, where a window moved to another monitor may be. Asked of a DC
// of the screen.
HFONT CreateDialogFont(HDC screen, int dpi);
