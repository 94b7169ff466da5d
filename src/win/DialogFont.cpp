#include "win/DialogFont.h"

#include "win/Handles.h"

namespace {

HFONT CreateFontOf(const wchar_t* face, int height) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

// Whether the system gives this very face at this character height, rather than another face
// in its place.
bool GivesFace(HDC dc, HFONT font, const wchar_t* face, int height) {
    wchar_t given[LF_FACESIZE] = {};
    TEXTMETRICW metrics{};
    const SelectInDc select(dc, font);
    GetTextFaceW(dc, LF_FACESIZE, given);
    GetTextMetricsW(dc, &metrics);
    return lstrcmpiW(given, face) == 0 && metrics.tmHeight - metrics.tmInternalLeading == -height;
}

} // namespace

HFONT CreateDialogFont(HDC screen, int dpi) {
    const int height = -MulDiv(8, dpi, 72);
    // MS Sans Serif's strikes are made for the screen's DPI: at another, the strike of that
    // height is another point size's design, taller than the layouts allow.
    if (dpi != GetDeviceCaps(screen, LOGPIXELSY)) return CreateFontOf(L"MS Shell Dlg", height);
    if (const HFONT designed = CreateFontOf(L"MS Sans Serif", height)) {
        if (GivesFace(screen, designed, L"MS Sans Serif", height)) return designed;
        DeleteObject(designed);
    }
    return CreateFontOf(L"MS Shell Dlg", height);
}
