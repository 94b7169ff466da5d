// What another process cannot see of the windows (menus, resources), checked from inside.
#include "InProcess.h"
#include "Module1.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

TEST_F(InProcess, MenusHaveTheirCaptionsAndItems) {
    HMENU bar = GetMenu(main);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0), L"&File");
    EXPECT_EQ(MenuText(bar, 1), L"&Help");
    HMENU file = GetSubMenu(bar, 0), help = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(file), 1);
    ASSERT_EQ(GetMenuItemCount(help), 1);
    EXPECT_EQ(MenuText(file, 0), L"E&xit");
    EXPECT_EQ(MenuText(help, 0), L"&About "); // the trailing blank belongs to it
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(frmMain::IdFileExit));
    EXPECT_EQ(GetMenuItemID(help, 0), static_cast<UINT>(frmMain::IdHelpAbout));
    EXPECT_NE(GetClassLongPtrW(main, GCLP_HICON), 0);
}

TEST_F(InProcess, UnloadingTheMainWindowUnloadsTheOthers) {
    frmAbout about;
    about.Load(main);
    ASSERT_TRUE(about.IsLoaded());
    ASSERT_EQ(Form::LoadedForms().size(), 2u);
    EXPECT_EQ(Form::LoadedForms()[0]->hwnd(), main);
    PostMessageW(main, WM_CLOSE, 0, 0);
    Form::RunMessageLoop();
    EXPECT_FALSE(about.IsLoaded());
    EXPECT_FALSE(IsWindow(main));
}

// The designed 32 x 32 image first, in the design's 16 colours; then one drawn for each larger
// size the windows ask for at 120, 144 and 192 DPI, so that none is scaled, in the same colours
// as a 32-bit RGBA PNG (with no mask: Windows takes no other kind inside an icon).
TEST(Resources, IconHoldsTheDesigned32By32ImageAndOnesForHigherDpis) {
    const HMODULE self = GetModuleHandleW(nullptr);
    const HRSRC group = FindResourceW(self, MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(self, group)));
    const int count = dir[4] | dir[5] << 8;
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;
        const bool designed = i == 0;
        EXPECT_EQ(entry[0], entry[1]);                          // square
        EXPECT_EQ(entry[2], designed ? 16 : 0);                 // colours
        EXPECT_EQ(entry[6] | entry[7] << 8, designed ? 4 : 32); // bits per pixel
        const HRSRC image =
            FindResourceW(self, MAKEINTRESOURCEW(entry[12] | entry[13] << 8), RT_ICON);
        ASSERT_NE(image, nullptr);
        const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(self, image)));
        const bool png = memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
        EXPECT_EQ(png, !designed) << entry[0];
        if (png) {
            EXPECT_EQ(data[24], 8) << "bits per channel";
            EXPECT_EQ(data[25], 6) << "colour type: RGBA";
        }
        sizes.push_back(entry[0]);
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 40, 48, 64}));
}

TEST(Resources, HandCursorIsTwoColourWithHotSpotAtTheFingertip) {
    const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT));
    ASSERT_NE(hand, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_EQ(info.hbmColor, nullptr); // monochrome: AND and XOR masks only
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    EXPECT_EQ(mask.bmHeight, 64);
    // The fingertip pixel is black and opaque: AND bit 0, XOR bit 0.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmMask);
    EXPECT_EQ(GetPixel(dc, 5, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 5, 32), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255)); // transparent corner
    SelectObject(dc, old);
    DeleteDC(dc);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

} // namespace
