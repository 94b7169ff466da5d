// Both windows at the DPI this process started with: every control where the design's twips
// put it, and every label's and button's text whole in the control's own font. The other DPIs
// run the same check in a copy of this process started at them.
#include "../gui/Driver.h"
#include "../gui/Layouts.h"
#include "../TestRegistry.h"
#include "Module1.h"
#include "frmAbout.h"
#include "frmMain.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void ExpectAtTwips(HWND window, const TwipsRect& t) {
    const RECT r = RectInClient(GetDlgItem(window, t.id), window);
    SCOPED_TRACE(Text(GetDlgItem(window, t.id)));
    EXPECT_NEAR(r.left, Form::TwipsToPixelsX(t.left), 1);
    EXPECT_NEAR(r.top, Form::TwipsToPixelsY(t.top), 1);
    EXPECT_NEAR(r.right - r.left, Form::TwipsToPixelsX(t.width), 1);
    EXPECT_NEAR(r.bottom - r.top, Form::TwipsToPixelsY(t.height), 1);
}

// The text as the control draws it: wrapped at its width (a label) or on one line inside the
// button's edges, in its own font.
void ExpectWholeText(HWND control) {
    const bool button = ClassOf(control) == L"Button";
    const std::wstring text = Text(control);
    RECT client;
    GetClientRect(control, &client);
    if (button) InflateRect(&client, -3, -3);
    RECT need = {0, 0, client.right - client.left, 0};
    const HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), -1, &need,
              DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK | DT_EXPANDTABS));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    SCOPED_TRACE(text);
    EXPECT_LE(need.right - need.left, client.right - client.left) << "too wide";
    // A two-line label designed for 96 DPI is one pixel short of its last line's descent.
    EXPECT_LE(need.bottom - need.top, client.bottom - client.top + (button ? 0 : 1))
        << "lines cut off";
}

void ExpectLaidOut(HWND window, const TwipsRect* layout, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        ExpectAtTwips(window, layout[i]);
        const HWND control = GetDlgItem(window, layout[i].id);
        if (ClassOf(control) != L"ComboBox") ExpectWholeText(control);
    }
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TEST(AtThisDpi, ControlsSitAtTheirTwipsAndEveryTextIsWhole) {
    const int dpi = ScreenDpi();
    if (const char* expected = std::getenv("QUILLMERE_EXPECTED_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected)) << "the DPI was not taken up";
    }
    Main();
    const HWND main = FindWindowW(L"QuillmereMain", nullptr);
    ASSERT_NE(main, nullptr);
    ExpectLaidOut(main, MainLayout, std::size(MainLayout));
    const std::wstring suffix = L"-" + std::to_wstring(dpi) + L"dpi";
    Pump();
    SaveScreenshot(main, L"main-window" + suffix);

    frmAbout about;
    about.Load(main);
    about.Show();
    Pump();
    ExpectLaidOut(about.hwnd(), AboutLayout, std::size(AboutLayout));
    RECT client;
    GetClientRect(about.hwnd(), &client);
    EXPECT_NEAR(client.right, Form::TwipsToPixelsX(5460), 1);
    EXPECT_NEAR(client.bottom, Form::TwipsToPixelsY(3120), 1);

    Sleep(200);
    Pump();
    SaveScreenshot(about.hwnd(), L"about-window" + suffix);

    PostMessageW(main, WM_CLOSE, 0, 0);
    Form::RunMessageLoop();
    EXPECT_FALSE(about.IsLoaded());
}

// The same check in a copy of this program started at each DPI (Wine reads it at start-up).
class HighDpi : public ::testing::TestWithParam<int> {};

TEST_P(HighDpi, SameCheckInAProcessStartedAtIt) {
    const std::wstring desktop = L"Control Panel\\Desktop";
    ValueBackup saved(HKEY_CURRENT_USER, desktop, L"LogPixels");
    const DWORD dpi = static_cast<DWORD>(GetParam());
    PutRaw(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    SetEnvironmentVariableW(L"QUILLMERE_EXPECTED_DPI", std::to_wstring(dpi).c_str());

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=AtThisDpi.* --gtest_brief=1";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &si, &pi));
    SetEnvironmentVariableW(L"QUILLMERE_EXPECTED_DPI", nullptr);
    const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(pi.hProcess, 1);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(ended);
    EXPECT_EQ(code, 0u) << "failed at " << dpi << " DPI (its output is above)";
}

INSTANTIATE_TEST_SUITE_P(Dpi, HighDpi, ::testing::Values(120, 144, 192));

} // namespace
