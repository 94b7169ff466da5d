#pragma once

#include "win/Handles.h"

#include <windows.h>

#include <cstdint>
#include <vector>

// A control's place in its window's client area, in twips, as the design gives it. (Sixteen bits
// each: a whole place is one 8-byte value, which x86_64 passes in a register.)
struct TwipsBox {
    std::int16_t left, top, width, height;
};

// What a window's layout depends on: its DPI, the dialog font decided for it, its icons, and
// the twips of each control, so that all of it can be laid out again when the DPI changes.
// Windows 10 1703 and later give each window the DPI of its monitor (per-monitor awareness v2)
// and tell it of a change with WM_DPICHANGED; elsewhere every window has the screen's DPI for
// the whole session. The newer calls are found at run time.
class WindowDpi {
  public:
    // The screen's DPI, as a DC of it reports it.
    static int OfScreen(HDC screen);
    // The DPI that Windows gives a window; `fallback` where windows have none of their own.
    static int OfWindow(HWND window, int fallback);

    // Twips (1/1440 inch) as pixels at a DPI, rounded.
    static int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

    int dpi() const { return dpi_; }
    int Px(int twips) const { return TwipsToPixels(twips, dpi_); }
    HFONT font() const { return font_.get(); }

    // Takes a DPI and the dialog font decided for it, through a DC of the screen.
    void Use(int dpi, HDC screen);
    // The window rectangle around a client area of this size at a DPI.
    RECT Frame(int dpi, int clientWidth, int clientHeight, DWORD style, bool menu,
               DWORD exStyle) const;
    // A control of the window, at its place in twips, now and after every change. A label may
    // grow to its text (FitLabels).
    void Place(HWND control, TwipsBox box, bool label);
    // Each label at least as tall as its text's lines, less the one empty row that the design
    // itself loses at 96 DPI: where its twips fall short of more, it grows downwards to them.
    void FitLabels() const;
    // Lays every control out again at a new DPI, in the font decided at it (the old font is
    // freed once no control uses it), and gives the window its icons at that DPI's sizes.
    void Change(HWND window, int dpi);
    // Gives the window its icons at this DPI's sizes, in place of the class's.
    void SetIcons(HWND window);
    // The window is gone: its controls and icons are forgotten.
    void Clear();

  private:
    struct Placed {
        HWND control;
        TwipsBox box;
        bool label;
    };
    int dpi_ = 96;
    int screenDpi_ = 96;
    GdiObject<HFONT> font_;
    std::vector<Placed> placed_;
    IconHandle bigIcon_, smallIcon_;
};
