#include "win/WindowDpi.h"

#include "resource.h"
#include "win/DialogFont.h"
#include "win/SystemLibrary.h"
#include "win/WindowText.h"

namespace {

// The per-monitor DPI calls of Windows 10 (1607 and later), from the loaded user32; null before.
template <class Proc> Proc User32Proc(const char* name) {
    return ProcOf<Proc>(GetModuleHandleW(L"user32.dll"), name);
}

int MetricForDpi(int index, int dpi) {
    static const auto forDpi = User32Proc<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

HICON AppIcon(int sizeMetric, int dpi) {
    const int size = MetricForDpi(sizeMetric, dpi);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                         IMAGE_ICON, size, size, 0));
}

} // namespace

int WindowDpi::OfScreen(HDC screen) {
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi::OfWindow(HWND window, int fallback) {
    static const auto forWindow = User32Proc<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const UINT dpi = forWindow ? forWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : fallback;
}

void WindowDpi::Use(int dpi, HDC screen) {
    dpi_ = dpi;
    screenDpi_ = OfScreen(screen);
    GdiObject<HFONT> font(CreateDialogFont(screen, dpi));
    font_.swap(font);
}

RECT WindowDpi::Frame(int dpi, int clientWidth, int clientHeight, DWORD style, bool menu,
                      DWORD exStyle) const {
    using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto forDpi = User32Proc<ForDpi>("AdjustWindowRectExForDpi");
    RECT frame = {0, 0, clientWidth, clientHeight};
    // At the screen's DPI exactly the frame it always had.
    if (dpi == screenDpi_ || !forDpi ||
        !forDpi(&frame, style, menu, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&frame, style, menu, exStyle);
    return frame;
}

void WindowDpi::Place(HWND control, TwipsBox box, bool label) {
    placed_.push_back({control, box, label});
}

void WindowDpi::FitLabels() const {
    for (const Placed& p : placed_) {
        if (!p.label) continue;
        const HDC dc = GetDC(p.control);
        const int lines = LabelTextExtent(p.control, dc).bottom;
        ReleaseDC(p.control, dc);
        const int designed = Px(p.box.height);
        SetWindowPos(p.control, nullptr, 0, 0, Px(p.box.width),
                     lines > designed + 1 ? lines : designed,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void WindowDpi::Change(HWND window, int dpi) {
    GdiObject<HFONT> old;
    old.swap(font_); // freed on the way out, once every control has the new one
    const HDC screen = GetDC(nullptr);
    Use(dpi, screen);
    ReleaseDC(nullptr, screen);
    HDWP moves = BeginDeferWindowPos(static_cast<int>(placed_.size()));
    for (const Placed& p : placed_) {
        SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
        if (moves)
            moves =
                DeferWindowPos(moves, p.control, nullptr, Px(p.box.left), Px(p.box.top),
                               Px(p.box.width), Px(p.box.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moves) EndDeferWindowPos(moves);
    FitLabels();
    SetIcons(window);
}

void WindowDpi::SetIcons(HWND window) {
    IconHandle big(AppIcon(SM_CXICON, dpi_)), small(AppIcon(SM_CXSMICON, dpi_));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_.swap(big); // the icons the window held before go here
    smallIcon_.swap(small);
}

void WindowDpi::Clear() {
    placed_.clear();
    IconHandle none1, none2;
    bigIcon_.swap(none1);
    smallIcon_.swap(none2);
}
