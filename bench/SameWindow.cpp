// The yardstick for start-up and memory: Quillmere's window without Quillmere's logic. Same
// manifest, same menu, the same six controls placed from the same twips in the same font, the
// same listing and one registry read; no window layer, no load steps, no handlers. Built with
// DESIGNED, it also has what the design asks of the window itself: the program's icon, and the
// focus in the screen-saver chooser when it opens.
#include "RegistryDeclarationsAndFunctions.h"
#include "settings.h"

#include <windows.h>

namespace {

int dpi = 96;
int Px(int twips) {
    return MulDiv(twips, dpi, 1440);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND Control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x,
             int y, int w, int h, HFONT font) {
    HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, Px(x), Px(y), Px(w),
                             Px(h), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const HFONT font = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                   DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
#ifdef DESIGNED
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
#endif
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"SameWindow";
    RegisterClassW(&wc);
    HMENU file = CreatePopupMenu(), help = CreatePopupMenu(), bar = CreateMenu();
    AppendMenuW(file, MF_STRING, 200, L"E&xit");
    AppendMenuW(help, MF_STRING, 201, L"&About ");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    HWND hwnd = CreateWindowW(L"SameWindow", L"Quillmere", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                              CW_USEDEFAULT, CW_USEDEFAULT, Px(4470), Px(2520), nullptr, bar,
                              instance, nullptr);
    const DWORD combo = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    Control(hwnd, L"STATIC", L"Choose the Logon screen Screen Saver", SS_LEFT, 104, 360, 120, 2055,
            375, font);
    HWND list =
        Control(hwnd, L"COMBOBOX", L"Combo1", combo | CBS_SORT, 100, 360, 600, 1935, 3000, font);
    HWND apply = Control(hwnd, L"BUTTON", L"&Apply", WS_TABSTOP, 102, 600, 1080, 1335, 375, font);
    Control(hwnd, L"BUTTON", L"E&xit", WS_TABSTOP, 103, 2400, 1080, 1335, 375, font);
    Control(hwnd, L"STATIC", L"Select the timeout value", SS_LEFT, 105, 2640, 120, 1215, 375, font);
    HWND timeout = Control(hwnd, L"COMBOBOX", L"", combo, 101, 2640, 600, 1215, 1800, font);
    for (const wchar_t* t : {L"1 Min", L"2 Min", L"5 Min", L"10 Min", L"15 Min"})
        SendMessageW(timeout, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
    ShowWindow(hwnd, SW_SHOW);
#ifdef DESIGNED
    SetFocus(list);
#endif
    UpdateWindow(hwnd);

    const std::wstring current =
        GetRegistryString(LogonDesktopKey.root, LogonDesktopKey.path, L"SCRNSAVE.EXE", L"");
    for (const std::wstring& name : ListScreenSaverFiles())
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"(None)"));
    SetWindowTextW(list, current.empty() ? L"(None)" : current.c_str());
    EnableWindow(apply, FALSE);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DeleteObject(font);
    return 0;
}
