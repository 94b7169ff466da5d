// Quillmere's dialog font decided as before: the same decision, but the DPI read again through a
// screen DC of its own and the check made on a third one. Linked in place of the real one, it
// shows what the earlier way cost at start-up.
#include "win/DialogFont.h"

#include "win/Handles.h"

namespace {

HFONT CreateFontOf(const wchar_t* face, int height) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

bool GivesFace(HFONT font, const wchar_t* face, int height) {
    const HDC dc = GetDC(nullptr);
    wchar_t given[LF_FACESIZE] = {};
    TEXTMETRICW metrics{};
    {
        const SelectInDc select(dc, font);
        GetTextFaceW(dc, LF_FACESIZE, given);
        GetTextMetricsW(dc, &metrics);
    }
    ReleaseDC(nullptr, dc);
    return lstrcmpiW(given, face) == 0 && metrics.tmHeight - metrics.tmInternalLeading == -height;
}

} // namespace

HFONT CreateDialogFont(HDC, int) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int height = -MulDiv(8, dpi, 72);
    if (const HFONT designed = CreateFontOf(L"MS Sans Serif", height)) {
        if (GivesFace(designed, L"MS Sans Serif", height)) return designed;
        DeleteObject(designed);
    }
    return CreateFontOf(L"MS Shell Dlg", height);
}
