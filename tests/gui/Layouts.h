#pragma once

#include "Driver.h"
#include "frmAbout.h"
#include "frmMain.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

// The designed place of each control, in twips of its window's client area.
struct TwipsRect {
    int id, left, top, width, height;
};

inline const TwipsRect MainLayout[] = {
    {frmMain::IdLabel1, 360, 120, 2055, 375},  {frmMain::IdCombo1, 360, 600, 1935, 315},
    {frmMain::IdLabel2, 2640, 120, 1215, 375}, {frmMain::IdCombo2, 2640, 600, 1215, 315},
    {frmMain::IdApply, 600, 1080, 1335, 375},  {frmMain::IdExit, 2400, 1080, 1335, 375},
};

inline const TwipsRect AboutLayout[] = {
    {IDOK, 3600, 2520, 1467, 345},
    {frmAbout::IdIcon, 240, 240, 540, 540},
    {frmAbout::IdVersion, 1050, 780, 4092, 225},
    {frmAbout::IdTitle, 1050, 240, 4092, 480},
    {frmAbout::IdDescription, 1050, 1125, 4095, 1050},
    {frmAbout::IdLabel1, 240, 2280, 855, 255},
    {frmAbout::IdLabel2, 240, 2520, 735, 255},
    {frmAbout::IdLabel3, 240, 2760, 2535, 255},
    {frmAbout::IdLabel4, 1080, 2280, 2295, 255},
    {frmAbout::IdLabel5, 1080, 2520, 2055, 255},
};

// The control of `window` that the entry names, where its twips put it at that DPI (the
// screen's by default), to the pixel; a label that its twips leave short of its text may be as
// tall as `grownTo` instead.
inline void ExpectAtTwips(HWND window, const TwipsRect& t, int dpi = 0, int grownTo = 0) {
    const auto px = [dpi](int twips) { return dpi ? MulDiv(twips, dpi, 1440) : PxX(twips); };
    const HWND control = GetDlgItem(window, t.id);
    const RECT r = RectInClient(control, window);
    SCOPED_TRACE(Text(control) + L" (" + std::to_wstring(t.id) + L")");
    EXPECT_NEAR(r.left, px(t.left), 1);
    EXPECT_NEAR(r.top, px(t.top), 1);
    EXPECT_NEAR(r.right - r.left, px(t.width), 1);
    EXPECT_GE(r.bottom - r.top, px(t.height) - 1);
    EXPECT_LE(r.bottom - r.top, std::max(px(t.height) + 1, grownTo));
}
