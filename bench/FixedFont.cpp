// Quillmere's dialog font without any check: 8-point MS Sans Serif, taken as given. Linked in
// place of the real one, it shows what the check costs at start-up.
#include "win/DialogFont.h"

HFONT CreateDialogFont(HDC, int dpi) {
    return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
}
