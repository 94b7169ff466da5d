#include "Driver.h"

#include "frmMain.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#ifndef QUILLMERE_EXE
#error QUILLMERE_EXE must name the program under test
#endif

namespace {

struct FindArgs {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
    auto* args = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != args->pid || !IsWindowVisible(hwnd) || ClassOf(hwnd) != args->className) return TRUE;
    if (args->title && Text(hwnd) != args->title) return TRUE;
    args->found = hwnd;
    return FALSE;
}

// Whether a program that shows no window is still running (hung, or slow), or ended, and how.
std::string WhyNoWindow(HANDLE process) {
    DWORD code = 0;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
        return "the process is still running";
    char text[64];
    std::snprintf(text, sizeof text, "the process ended, exit code 0x%08lX",
                  static_cast<unsigned long>(code));
    return text;
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        Sleep(10);
    }
    return true;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring Text(HWND hwnd) {
    const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

RECT RectInClient(HWND control, HWND parent) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int PxX(int twips) {
    HDC dc = GetDC(nullptr);
    const int px = MulDiv(twips, GetDeviceCaps(dc, LOGPIXELSX), 1440);
    ReleaseDC(nullptr, dc);
    return px;
}

int PxY(int twips) {
    HDC dc = GetDC(nullptr);
    const int px = MulDiv(twips, GetDeviceCaps(dc, LOGPIXELSY), 1440);
    ReleaseDC(nullptr, dc);
    return px;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1,
                          L'\0');
        item.resize(static_cast<size_t>(
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(item);
    }
    return items;
}

int ComboSelection(HWND combo) {
    return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

HWND ComboEdit(HWND combo) {
    return FindWindowExW(combo, nullptr, L"Edit", nullptr);
}

std::wstring WindowsPath(std::string unixPath) {
    std::wstring path(unixPath.begin(), unixPath.end());
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path.starts_with(L"\\") ? L"Z:" + path : path;
}

std::wstring ProgramPath() {
    return WindowsPath(QUILLMERE_EXE);
}

RunningApp::RunningApp() {
    Launch(ProgramPath(), nullptr);
}

RunningApp::RunningApp(const std::wstring& exe, const std::wstring& folder) {
    Launch(exe, folder.c_str());
}

RunningApp::RunningApp(HANDLE token) {
    Launch(ProgramPath(), nullptr, token);
}

void RunningApp::Launch(const std::wstring& exe, const wchar_t* folder, HANDLE token) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    const auto start = [&] {
        return token ? CreateProcessAsUserW(token, exe.c_str(), commandLine.data(), nullptr,
                                            nullptr, FALSE, 0, nullptr, folder, &si, &pi_)
                     : CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, folder, &si, &pi_);
    };
    // Wine answers ERROR_INTERNAL_ERROR when the new Unix process dies before its loader has
    // reported in, a rare failure of the test bed. Nothing of the exe has run then (a missing
    // import or a crash in it ends the process with a status of its own, another error), so
    // that one error earns one more try.
    bool started = start();
    if (!started && GetLastError() == ERROR_INTERNAL_ERROR) {
        std::fputs("note: Wine did not start the program; starting it again\n", stderr);
        started = start();
    }
    if (!started) {
        ADD_FAILURE() << "cannot start the program, error " << GetLastError();
        return;
    }
    process_ = pi_.hProcess;
    pid_ = pi_.dwProcessId;
    main_ = WaitForWindow(L"QuillmereMain", 15000);
    EXPECT_NE(main_, nullptr) << "the main window did not appear within 15 s: "
                              << WhyNoWindow(process_);
    Settle();
}

RunningApp::~RunningApp() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        // Close message boxes and windows from the top down, then insist.
        for (int i = 0; i < 5 && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; ++i) {
            if (HWND box = FindWindowOf(L"#32770")) CloseMessageBox(box);
            if (HWND about = FindWindowOf(L"QuillmereAbout")) PostMessageW(about, WM_CLOSE, 0, 0);
            if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
            WaitForSingleObject(process_, 1000);
        }
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(process_);
}

HANDLE LinkedLimitedToken() {
    HANDLE own = nullptr, primary = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
        DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                         TokenPrimary, &primary);
        CloseHandle(linked.LinkedToken);
    }
    CloseHandle(own);
    return primary;
}

HWND RunningApp::FindWindowOf(const wchar_t* className, const wchar_t* title) const {
    FindArgs args{pid_, className, title, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&args));
    return args.found;
}

HWND RunningApp::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOf(className)) != nullptr; }, timeoutMs);
    return found;
}

HWND RunningApp::WaitForMessageBox(DWORD timeoutMs) const {
    return WaitForWindow(L"#32770", timeoutMs);
}

bool RunningApp::WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

void RunningApp::Settle() const {
    // A sent message is handled only between other messages, so its return means that what
    // was sent before is done. Posted actions are waited for by their effects instead.
    DWORD_PTR result;
    SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
}

HWND RunningApp::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(pi_.dwThreadId, &info);
    return info.hwndFocus;
}

void RunningApp::PickCombo(int id, int index) const {
    HWND combo = Item(id);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(main_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void RunningApp::Type(int id, const std::wstring& text) const {
    HWND edit = ComboEdit(Item(id));
    for (wchar_t c : text)
        SendMessageW(edit, WM_CHAR, c, 1);
}

void RunningApp::ReplaceText(int id, const std::wstring& text) const {
    HWND edit = ComboEdit(Item(id));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void RunningApp::Press(HWND button) const {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void RunningApp::OpenAbout() const {
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(frmMain::IdHelpAbout, 0), 0);
}

HWND RunningApp::OpenAboutAndWait() const {
    OpenAbout();
    HWND about = WaitForWindow(L"QuillmereAbout");
    if (about) WaitUntil([&] { return Focus() == GetDlgItem(about, IDOK); }, 2000);
    return about;
}

void RunningApp::Key(HWND target, UINT vk, int repeats) const {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    for (int i = 0; i < repeats; ++i)
        PostMessageW(target, WM_KEYDOWN, vk, 0x40000001);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

namespace {

// The screen's pixels in a rectangle, bottom row first, as 24-bit BGR rows of `stride` bytes.
std::vector<char> CapturePixels(const RECT& r, DWORD& stride) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER header{sizeof header, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
    std::vector<char> pixels(stride * static_cast<DWORD>(h));
    GetDIBits(mem, bitmap, 0, static_cast<UINT>(h), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

} // namespace

ScreenPixels::ScreenPixels(const RECT& onScreen)
    : width_(onScreen.right - onScreen.left), height_(onScreen.bottom - onScreen.top),
      rows_(CapturePixels(onScreen, stride_)) {}

COLORREF ScreenPixels::At(int x, int y) const {
    const auto* p = reinterpret_cast<const BYTE*>(
        &rows_[static_cast<size_t>(height_ - 1 - y) * stride_ + static_cast<size_t>(x) * 3]);
    return RGB(p[2], p[1], p[0]);
}

std::set<COLORREF> ColoursOn(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    const ScreenPixels shown(r);
    std::set<COLORREF> colours;
    for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x)
            colours.insert(shown.At(x, y));
    return colours;
}

void SaveScreenshot(HWND window, const std::wstring& name, bool caretShown) {
    char folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("QUILLMERE_TEST_OUTPUT", folder, MAX_PATH)) return;
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    DWORD stride = 0;
    std::vector<char> pixels = CapturePixels(r, stride);
    const auto black = [&](const std::vector<char>& look) {
        size_t n = 0;
        for (size_t row = 0; row < static_cast<size_t>(h); ++row)
            for (size_t at = row * stride, end = at + static_cast<size_t>(w) * 3; at < end; at += 3)
                n += !look[at] && !look[at + 1] && !look[at + 2];
        return n;
    };
    for (int look = 0; caretShown && look < 5; ++look) {
        Sleep(300); // a caret blinks every 500 ms by default
        std::vector<char> next = CapturePixels(r, stride);
        if (black(next) > black(pixels)) pixels.swap(next);
    }
    BITMAPINFOHEADER header{sizeof header, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof header};
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(std::filesystem::path(WindowsPath(folder) + L"\\" + name + L".bmp"),
                      std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

std::wstring MessageBoxText(HWND box) {
    return Text(GetDlgItem(box, 0xFFFF));
}

void CloseMessageBox(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}
