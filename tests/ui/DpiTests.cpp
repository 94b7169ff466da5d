// Both windows at the DPI this process started with: every control where the design's twips
// put it, and every label's and button's text whole in the control's own font. The other DPIs
// run the same check in a copy of this process started at them. And both windows moved to a
// screen of another DPI, as Windows tells them of it, and back.
#include "../gui/Driver.h"
#include "../gui/Layouts.h"
#include "../TestRegistry.h"
#include "Module1.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "resource.h"
#include "win/DialogFont.h"
#include "win/Handles.h"
#include "win/SystemLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int Px(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

// The text as the control draws it: wrapped at its width (a label) or on one line inside the
// button's edges, in its own font. Gives the height of its lines.
int ExpectWholeText(HWND control) {
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
    // A two-line label designed for 96 DPI is one pixel short of its last line's descent, an
    // empty row; never more.
    EXPECT_LE(need.bottom - need.top, client.bottom - client.top + (button ? 0 : 1))
        << "lines cut off";
    return need.bottom - need.top;
}

// Every control at its twips, a label grown downwards at most to its lines; every text whole.
void ExpectLaidOut(HWND window, const TwipsRect* layout, size_t count, int dpi) {
    for (size_t i = 0; i < count; ++i) {
        const HWND control = GetDlgItem(window, layout[i].id);
        const std::wstring kind = ClassOf(control);
        const int lines = kind == L"ComboBox" ? 0 : ExpectWholeText(control);
        ExpectAtTwips(window, layout[i], dpi, kind == L"Static" ? lines : 0);
    }
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int MetricAt(int index, int dpi) {
    const auto metric =
        ProcOf<int(WINAPI*)(int, UINT)>(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi");
    return metric ? metric(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

// The width of the window's own icon (ICON_BIG or ICON_SMALL); 0 where it has none.
int IconWidth(HWND window, WPARAM which) {
    ICONINFO info{};
    const auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return mask.bmWidth;
}

void ExpectIconsAt(HWND window, int dpi) {
    EXPECT_EQ(IconWidth(window, ICON_BIG), MetricAt(SM_CXICON, dpi)) << Text(window);
    EXPECT_EQ(IconWidth(window, ICON_SMALL), MetricAt(SM_CXSMICON, dpi)) << Text(window);
}

// The sizes of the icon's images, from its resource.
std::vector<int> IconImageSizes() {
    const HMODULE self = GetModuleHandleW(nullptr);
    const HRSRC group = FindResourceW(self, MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON);
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(self, group)));
    std::vector<int> sizes;
    for (int i = 0; dir && i < (dir[4] | dir[5] << 8); ++i)
        sizes.push_back(dir[6 + 14 * i]);
    return sizes;
}

// An image of the icon as the system draws it at its own size on the box's grey, pixel by pixel.
std::vector<COLORREF> IconImage(int size, COLORREF grey) {
    const HDC screen = GetDC(nullptr);
    struct DeleteDc {
        void operator()(HDC dc) const { DeleteDC(dc); }
    };
    const Owned<HDC, DeleteDc> memory(CreateCompatibleDC(screen));
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, size, size));
    ReleaseDC(nullptr, screen);
    const SelectInDc into(memory.get(), bitmap.get());
    const RECT all = {0, 0, size, size};
    const GdiObject<HBRUSH> background(CreateSolidBrush(grey));
    FillRect(memory.get(), &all, background.get());
    const IconHandle icon(static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0)));
    DrawIconEx(memory.get(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.push_back(GetPixel(memory.get(), x, y));
    return pixels;
}

// The About window's icon box at its DPI, read off the screen: its sunken edge as many times
// thicker as the DPI is (2 pixels at 96), and centred in it, to the pixel, one of the icon's own
// images, at its size or with each pixel repeated a whole number of times: never stretched by
// a fraction, which pixel art does not survive, and at least 85% of 32 pixels a 96 DPI.
void ExpectAboutIconAt(HWND about, int dpi) {
    RECT box;
    GetWindowRect(GetDlgItem(about, frmAbout::IdIcon), &box);
    const ScreenPixels shown(box);
    const COLORREF grey = RGB(192, 192, 192);
    int edge = 0;
    while (edge < shown.Width() && shown.At(edge, shown.Height() / 2) != grey)
        ++edge;
    EXPECT_EQ(edge, 2 * dpi / 96) << "the icon box's edge";

    const int size = MulDiv(32, dpi, 96);
    bool found = false;
    for (const int image : IconImageSizes()) {
        const std::vector<COLORREF> pixels = IconImage(image, grey);
        for (int scale = 1; image * scale <= size; ++scale) {
            const int drawn = image * scale, left = (shown.Width() - drawn) / 2,
                      top = (shown.Height() - drawn) / 2;
            if (drawn * 100 < size * 85 || (shown.Width() - drawn) % 2 ||
                (shown.Height() - drawn) % 2)
                continue;
            bool same = true;
            for (int y = 0; same && y < drawn; ++y)
                for (int x = 0; same && x < drawn; ++x)
                    same = shown.At(left + x, top + y) ==
                           pixels[static_cast<size_t>(y / scale * image + x / scale)];
            found = found || same;
        }
    }
    EXPECT_TRUE(found) << "no image of the icon, whole or magnified, of " << size
                       << " pixels or a little less, centred in the box";
}

// All the About window's art at its DPI: the icon box, and the etched rule's two lines as many
// times thicker as the DPI is (1 and 2 pixels at 96).
void ExpectAboutArtAt(HWND about, int dpi) {
    ExpectAboutIconAt(about, dpi);
    // One column down from the description to the contact lines.
    POINT origin{0, 0};
    ClientToScreen(about, &origin);
    const int x = origin.x + Px(2000, dpi);
    const RECT column = {x, origin.y + Px(2175, dpi), x + 1, origin.y + Px(2280, dpi)};
    const ScreenPixels rule(column);
    int greyRows = 0, whiteRows = 0;
    for (int y = 0; y < rule.Height(); ++y) {
        greyRows += rule.At(0, y) == RGB(128, 128, 128);
        whiteRows += rule.At(0, y) == RGB(255, 255, 255);
    }
    EXPECT_EQ(greyRows, MulDiv(1, dpi, 96)) << "the rule's grey line";
    EXPECT_EQ(whiteRows, MulDiv(2, dpi, 96)) << "the rule's white line";
}

// The DPI this process runs at, which its starter may have set.
int TakenUpDpi() {
    const int dpi = ScreenDpi();
    if (const char* expected = std::getenv("QUILLMERE_EXPECTED_DPI")) {
        EXPECT_EQ(dpi, std::atoi(expected)) << "the DPI was not taken up";
    }
    return dpi;
}

TEST(AtThisDpi, ControlsSitAtTheirTwipsAndEveryTextIsWhole) {
    const int dpi = TakenUpDpi();
    Main();
    const HWND main = FindWindowW(L"QuillmereMain", nullptr);
    ASSERT_NE(main, nullptr);
    ExpectLaidOut(main, MainLayout, std::size(MainLayout), dpi);
    ExpectIconsAt(main, dpi);
    const std::wstring suffix = L"-" + std::to_wstring(dpi) + L"dpi";
    Pump();
    SaveScreenshot(main, L"main-window" + suffix);

    frmAbout about;
    about.Load(main);
    about.Show();
    Pump();
    ExpectLaidOut(about.hwnd(), AboutLayout, std::size(AboutLayout), dpi);
    RECT client;
    GetClientRect(about.hwnd(), &client);
    EXPECT_NEAR(client.right, Px(5460, dpi), 1);
    EXPECT_NEAR(client.bottom, Px(3120, dpi), 1);
    ExpectIconsAt(about.hwnd(), dpi);

    Sleep(200);
    Pump();
    ExpectAboutArtAt(about.hwnd(), dpi);
    SaveScreenshot(about.hwnd(), L"about-window" + suffix);

    PostMessageW(main, WM_CLOSE, 0, 0);
    Form::RunMessageLoop();
    EXPECT_FALSE(about.IsLoaded());
}

TEST(AtThisDpi, AboutsIconIsCrisp) {
    const int dpi = TakenUpDpi();
    Main();
    frmAbout about;
    about.Load(FindWindowW(L"QuillmereMain", nullptr));
    about.Show();
    Sleep(200);
    Pump();
    ExpectAboutIconAt(about.hwnd(), dpi);
    SaveScreenshot(about.hwnd(), L"about-window-" + std::to_wstring(dpi) + L"dpi");
    about.Unload();
    PostMessageW(FindWindowW(L"QuillmereMain", nullptr), WM_CLOSE, 0, 0);
    Form::RunMessageLoop();
}

// How many tests a GoogleTest JSON report says were run; 0 if it cannot be read.
int TestsRunIn(const std::wstring& report) {
    std::string json;
    if (FILE* file = _wfopen(report.c_str(), L"rb")) {
        char chunk[4096];
        for (size_t got; (got = fread(chunk, 1, sizeof chunk, file)) > 0;)
            json.append(chunk, got);
        fclose(file);
    }
    const size_t at = json.find("\"tests\": "); // the first is the whole run's
    return at == std::string::npos ? 0 : std::atoi(json.c_str() + at + 9);
}

// Runs this program's checks named by `filter` in a copy of it started at a DPI (Wine reads it
// at start-up). A filter that matches nothing fails: GoogleTest passes it, running nothing.
void CheckInACopyStartedAt(int atDpi, const wchar_t* filter) {
    const std::wstring desktop = L"Control Panel\\Desktop";
    ValueBackup saved(HKEY_CURRENT_USER, desktop, L"LogPixels");
    const DWORD dpi = static_cast<DWORD>(atDpi);
    PutRaw(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    SetEnvironmentVariableW(L"QUILLMERE_EXPECTED_DPI", std::to_wstring(dpi).c_str());

    wchar_t self[MAX_PATH], temp[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    const std::wstring report = temp + std::wstring(L"quillmere-dpi-") + std::to_wstring(dpi) +
                                L"-" + std::to_wstring(GetCurrentProcessId()) + L".json";
    DeleteFileW(report.c_str());
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=" + filter +
                           L" --gtest_brief=1 --gtest_output=json:" + report;
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
    EXPECT_GT(TestsRunIn(report), 0) << "no test matched " << filter;
    DeleteFileW(report.c_str());
}

// Every check at 125%, 150% and 200%, whose font the designed boxes hold.
class HighDpi : public ::testing::TestWithParam<int> {};

TEST_P(HighDpi, SameCheckInAProcessStartedAtIt) {
    CheckInACopyStartedAt(GetParam(), L"AtThisDpi.*");
}

INSTANTIATE_TEST_SUITE_P(Dpi, HighDpi, ::testing::Values(120, 144, 192));

// And at 175%, 225% and 250%, which laptops often have, where the font's lines outgrow the
// two-line labels' twips and the icon is magnified (at 250%).
class CommonScale : public ::testing::TestWithParam<int> {};

TEST_P(CommonScale, SameCheckInAProcessStartedAtIt) {
    CheckInACopyStartedAt(GetParam(), L"AtThisDpi.*");
}

INSTANTIATE_TEST_SUITE_P(Dpi, CommonScale, ::testing::Values(168, 216, 240));

// All that a window shows of its DPI: the window, its controls, their font and the small icon.
struct Shown {
    RECT window{};
    std::vector<RECT> controls;
    LOGFONTW font{};
    int smallIcon = 0;
};

Shown ShownOf(HWND window, const TwipsRect* layout, size_t count) {
    Shown shown;
    GetWindowRect(window, &shown.window);
    for (size_t i = 0; i < count; ++i)
        shown.controls.push_back(RectInClient(GetDlgItem(window, layout[i].id), window));
    const auto font =
        reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(window, layout[0].id), WM_GETFONT, 0, 0));
    GetObjectW(font, sizeof shown.font, &shown.font);
    for (size_t i = 1; i < count; ++i)
        EXPECT_EQ(SendMessageW(GetDlgItem(window, layout[i].id), WM_GETFONT, 0, 0),
                  reinterpret_cast<LRESULT>(font))
            << "not every control has the window's font";
    shown.smallIcon = IconWidth(window, ICON_SMALL);
    return shown;
}

bool Same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

bool Same(const std::vector<RECT>& a, const std::vector<RECT>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const RECT& x, const RECT& y) { return Same(x, y); });
}

void ExpectSame(const Shown& now, const Shown& before) {
    EXPECT_TRUE(Same(now.window, before.window)) << "window";
    EXPECT_TRUE(Same(now.controls, before.controls)) << "controls";
    EXPECT_EQ(now.font.lfHeight, before.font.lfHeight);
    EXPECT_STREQ(now.font.lfFaceName, before.font.lfFaceName);
}

// The window rectangle Windows suggests at a new DPI: the same corner, and the size the window
// asks for (WM_GETDPISCALEDSIZE), or where it asks for none, its size scaled.
RECT Suggested(HWND window, int from, int to) {
    RECT r;
    GetWindowRect(window, &r);
    const SIZE scaled = {MulDiv(r.right - r.left, to, from), MulDiv(r.bottom - r.top, to, from)};
    SIZE asked = scaled;
    if (!SendMessageW(window, 0x02E4, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(&asked)))
        asked = scaled;
    return {r.left, r.top, r.left + asked.cx, r.top + asked.cy};
}

void ChangeDpi(HWND window, int dpi, RECT suggested) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    Pump();
}

// What the window must show at a DPI: the design's twips, the font decided at that DPI, the
// combo fields 315 twips tall (in the layouts), the suggested rectangle, the icon's size.
void ExpectAtDpi(HWND window, const TwipsRect* layout, size_t count, int dpi,
                 const RECT& suggested) {
    SCOPED_TRACE(Text(window) + L" at " + std::to_wstring(dpi) + L" DPI");
    ExpectLaidOut(window, layout, count, dpi);
    const Shown shown = ShownOf(window, layout, count);
    EXPECT_TRUE(Same(shown.window, suggested)) << "not where Windows suggested";
    const HDC screen = GetDC(nullptr);
    const HFONT decided = CreateDialogFont(screen, dpi);
    ReleaseDC(nullptr, screen);
    LOGFONTW expected{};
    GetObjectW(decided, sizeof expected, &expected);
    DeleteObject(decided);
    EXPECT_EQ(shown.font.lfHeight, expected.lfHeight);
    EXPECT_STREQ(shown.font.lfFaceName, expected.lfFaceName);
    EXPECT_EQ(shown.smallIcon, MetricAt(SM_CXSMICON, dpi));
    if (ClassOf(window) == L"QuillmereAbout") ExpectAboutArtAt(window, dpi);
}

// Moves a window from screen to screen, as Windows tells it: laid out at each DPI in turn.
void Walk(HWND window, const TwipsRect* layout, size_t count, int from,
          const std::vector<int>& to) {
    for (const int dpi : to) {
        const RECT suggested = Suggested(window, from, dpi);
        ChangeDpi(window, dpi, suggested);
        ExpectAtDpi(window, layout, count, dpi, suggested);
        from = dpi;
    }
}

int DpiGivenTo(HWND window) {
    const auto given =
        ProcOf<UINT(WINAPI*)(HWND)>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    return given ? static_cast<int>(given(window)) : ScreenDpi();
}

// Both windows moved across screens of every DPI, starting with this one, and back: laid out
// again from the design's twips in the font decided there; the user's text, pick, Apply and
// focus untouched; back at the DPI they started at, they are exactly as they started, however
// long the chain. The About window opens at the DPI Windows gives it, not its owner's: Wine
// gives every window the session's DPI, whatever its owner was told.
class DpiChange : public ::testing::TestWithParam<int> {};

TEST_P(DpiChange, BothWindowsLayThemselvesOutAgainAndNothingElseChanges) {
    const int start = ScreenDpi(), first = GetParam();
    std::vector<int> onwards;
    for (const int dpi : {120, 144, 192})
        if (dpi != first) onwards.push_back(dpi);
    onwards.push_back(start);
    Main();
    const HWND main = FindWindowW(L"QuillmereMain", nullptr);
    ASSERT_NE(main, nullptr);
    const HWND combo1 = GetDlgItem(main, frmMain::IdCombo1),
               combo2 = GetDlgItem(main, frmMain::IdCombo2);
    SetWindowTextW(combo1, L"Tidepool.scr");
    SendMessageW(combo2, CB_SETCURSEL, 2, 0);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(frmMain::IdCombo2, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo2));
    SetFocus(combo2);
    Pump();
    const HWND focus = GetFocus();
    const auto expectUserStateKept = [&] {
        EXPECT_EQ(Text(combo1), L"Tidepool.scr");
        EXPECT_EQ(SendMessageW(combo2, CB_GETCURSEL, 0, 0), 2);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, frmMain::IdApply)));
        EXPECT_EQ(GetFocus(), focus);
    };
    const Shown mainAtStart = ShownOf(main, MainLayout, std::size(MainLayout));

    Walk(main, MainLayout, std::size(MainLayout), start, {first});
    expectUserStateKept();

    frmAbout about;
    about.Load(main);
    about.Show();
    Pump();
    const int given = DpiGivenTo(about.hwnd());
    ExpectLaidOut(about.hwnd(), AboutLayout, std::size(AboutLayout), given);
    const Shown aboutOpened = ShownOf(about.hwnd(), AboutLayout, std::size(AboutLayout));
    std::vector<int> aboutChain{first};
    aboutChain.insert(aboutChain.end(), onwards.begin(), onwards.end());
    aboutChain.back() = given; // and back where it opened
    Walk(about.hwnd(), AboutLayout, std::size(AboutLayout), given, aboutChain);
    ExpectSame(ShownOf(about.hwnd(), AboutLayout, std::size(AboutLayout)), aboutOpened);
    about.Unload();

    Walk(main, MainLayout, std::size(MainLayout), first, onwards);
    ExpectSame(ShownOf(main, MainLayout, std::size(MainLayout)), mainAtStart);
    expectUserStateKept();

    PostMessageW(main, WM_CLOSE, 0, 0);
    Form::RunMessageLoop();
}

INSTANTIATE_TEST_SUITE_P(Dpi, DpiChange, ::testing::Values(120, 144, 192));

} // namespace
