#include "frmAbout.h"

#include "AnsiText.h"
#include "AppInfo.h"
#include "WebStuffFunctions.h"
#include "frmMain.h"
#include "resource.h"
#include "win/Handles.h"
#include "win/LinkLabel.h"

#include <algorithm>
#include <memory>

namespace {

const wchar_t Description[] =
    L"This utility allows you to quickly and easily change the Screen Saver that is used when "
    L"the Welcome Screen is showing.  You must have Administrator level privileges to use this "
    L"utility. Only SCR files in the Windows\\System32 folder are provided as options.";

std::unique_ptr<frmAbout> aboutForm; // made at first use, kept for the life of the program

HCURSOR HandCursor() {
    static const HCURSOR hand =
        LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HANDPOINT));
    return hand;
}

// The sizes of the images in resources/quillmere.ico.
constexpr int IconImages[] = {64, 48, 40, 32};

// The icon's designed 32 pixels at a DPI.
int IconSizeAt(int dpi) {
    return MulDiv(32, dpi, 96);
}

} // namespace

IconArt IconArtFor(int size) {
    // From the largest image down, so that of two equal sizes the less magnified one is taken.
    IconArt best{32, 1};
    for (const int image : IconImages)
        for (int scale = 1; image * scale <= size; ++scale)
            if (image * scale > best.drawn()) best = {image, scale};
    return best;
}

std::wstring VersionText(unsigned major, unsigned minor, unsigned revision) {
    // Each is a 16-bit number in the version stamp.
    std::wstring text = L"Version ";
    for (const unsigned number : {major, minor, revision})
        text += DecimalText(static_cast<int>(number)) + L'.';
    text.pop_back(); // the dot after the last
    return text;
}

ProgramVersion ReadProgramVersion() {
    ProgramVersion version;
    const HMODULE self = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!found) return version;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
    const DWORD size = SizeofResource(self, found);
    // VS_VERSIONINFO: three WORDs, the key "VS_VERSION_INFO" with its NUL, padding to a DWORD
    // boundary, then the fixed part, which starts with its signature.
    constexpr DWORD fixedAt = (6 + sizeof L"VS_VERSION_INFO" + 3) & ~3u;
    if (!data || size < fixedAt + sizeof(VS_FIXEDFILEINFO)) return version;
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, data + fixedAt, sizeof fixed);
    if (fixed.dwSignature != 0xFEEF04BD) return version;
    version.major = HIWORD(fixed.dwFileVersionMS);
    version.minor = LOWORD(fixed.dwFileVersionMS);
    version.revision = HIWORD(fixed.dwFileVersionLS);
    return version;
}

void frmMain::mnuHelpAbout_Click() {
    if (!aboutForm) aboutForm = std::make_unique<frmAbout>();
    aboutForm->ShowModal(*this);
}

const Form::WindowTraits& frmAbout::Traits() const {
    static constexpr WindowTraits traits = {L"QuillmereAbout",
                                            L"About Quillmere",
                                            WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                            WS_EX_DLGMODALFRAME,
                                            0,
                                            0,
                                            5460,
                                            3120};
    return traits;
}

void frmAbout::CreateControls() {
    cmdOK =
        AddControl(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, {3600, 2520, 1467, 345});
    picIcon = AddControl(L"STATIC", L"", SS_OWNERDRAW, IdIcon, {240, 240, 540, 540});
    lblVersion = AddControl(L"STATIC", L"Version", SS_LEFT, IdVersion, {1050, 780, 4092, 225});
    lblTitle =
        AddControl(L"STATIC", L"Application Title", SS_LEFT, IdTitle, {1050, 240, 4092, 480});
    lblDescription =
        AddControl(L"STATIC", Description, SS_LEFT, IdDescription, {1050, 1125, 4095, 1050});
    AddControl(L"STATIC", L"Feedback:", SS_LEFT, IdLabel1, {240, 2280, 855, 255});
    AddControl(L"STATIC", L"Website:", SS_LEFT, IdLabel2, {240, 2520, 735, 255});
    AddControl(L"STATIC", CopyrightLine, SS_LEFT, IdLabel3, {240, 2760, 2535, 255});
    Label4 = AddControl(L"STATIC", FeedbackAddress, SS_LEFT | SS_NOTIFY, IdLabel4,
                        {1080, 2280, 2295, 255});
    Label5 = AddControl(L"STATIC", WebSiteAddress, SS_LEFT | SS_NOTIFY, IdLabel5,
                        {1080, 2520, 2055, 255});
    // Links for the mouse, the keyboard (after OK in the tab order) and screen readers.
    MakeLink(Label4);
    MakeLink(Label5);
}

void frmAbout::Form_Load() {
    const ProgramVersion v = ReadProgramVersion();
    SetWindowTextW(lblVersion, VersionText(v.major, v.minor, v.revision).c_str());
    SetWindowTextW(lblTitle, AppTitle);
}

void frmAbout::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDOK:
    case IDCANCEL: // Esc, and the dialog keys' cancel
        cmdOK_Click();
        break;
    case IdLabel4:
        if (code == STN_CLICKED) Label4_Click();
        break;
    case IdLabel5:
        if (code == STN_CLICKED) Label5_Click();
        break;
    }
}

void frmAbout::cmdOK_Click() {
    Unload();
}

void frmAbout::Label4_Click() {
    LaunchOnce([](HWND self) { SendFeedbackMail(std::wstring(FeedbackAddress), self); });
}

void frmAbout::Label5_Click() {
    LaunchOnce([](HWND self) { OpenWebPage(std::wstring(WebSiteAddress), self); });
}

// One launch at a time. While the shell is asked this thread runs its messages, and under the
// failure message the message box does: a click, key or screen reader's default action made
// meanwhile does nothing.
void frmAbout::LaunchOnce(void (*launch)(HWND self)) {
    if (launching_) return;
    launching_ = true;
    launch(hwnd());
    launching_ = false;
}

Ink frmAbout::LabelInk(HWND label) const {
    if (label == Label4 || label == Label5) return Ink::Link;
    if (label == lblTitle || label == lblDescription) return Ink::Black;
    return Ink::System;
}

LRESULT frmAbout::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_SETCURSOR: {
        const HWND over = reinterpret_cast<HWND>(wp);
        if ((over == Label4 || over == Label5) && LOWORD(lp) == HTCLIENT) {
            SetCursor(HandCursor());
            return TRUE;
        }
        break;
    }
    case WM_DRAWITEM:
        if (wp == IdIcon) {
            PaintIcon(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd(), &ps);
        DrawLine1(dc);
        EndPaint(hwnd(), &ps);
        return 0;
    }
    }
    return Form::HandleMessage(msg, wp, lp);
}

// The etched rule: Line1(1) grey and one pixel high, Line1(0) white and two pixels high below,
// at 96 DPI; as much thicker as the DPI is higher. Where the rounded lines would overlap (at
// 175%, 1.75 pixels apart), the white one starts below the grey.
void frmAbout::DrawLine1(HDC dc) const {
    const GdiObject<HBRUSH> grey(CreateSolidBrush(RGB(128, 128, 128)));
    const GdiObject<HBRUSH> white(CreateSolidBrush(RGB(255, 255, 255)));
    const RECT line1 = {TwipsToPixelsX(225), TwipsToPixelsY(2190), TwipsToPixelsX(5280),
                        TwipsToPixelsY(2190) + MulDiv(1, Dpi(), 96)};
    const LONG top0 = std::max<LONG>(TwipsToPixelsY(2205), line1.bottom);
    const RECT line0 = {TwipsToPixelsX(240), top0, TwipsToPixelsX(5280),
                        top0 + MulDiv(2, Dpi(), 96)};
    FillRect(dc, &line1, grey.get());
    FillRect(dc, &line0, white.get());
}

// The icon box as designed, a pixel narrower and lower where that centres the icon in it to the
// pixel; "sized to its picture", as the design has it at 96 DPI.
void frmAbout::FitControls() {
    const int designed = TwipsToPixelsX(540);
    const int fit = designed - (designed - IconArtFor(IconSizeAt(Dpi())).drawn()) % 2;
    SetWindowPos(picIcon, nullptr, 0, 0, fit, fit, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The icon at the window's DPI (32 x 32 at 96) centred in its box, whose sunken edge takes what
// the box leaves around the icon's designed size: two pixels at 96 DPI.
void frmAbout::PaintIcon(const DRAWITEMSTRUCT& item) const {
    RECT box = item.rcItem;
    const HDC dc = item.hDC;
    const GdiObject<HBRUSH> background(CreateSolidBrush(RGB(192, 192, 192)));
    FillRect(dc, &box, background.get());
    const int side = std::min(box.right - box.left, box.bottom - box.top);
    const int edge = std::max(2, side - IconSizeAt(Dpi())) / 2;
    // The edge's two lines, outer and inner, each as thick as half the edge.
    for (int i = 0; i < edge; ++i) {
        DrawEdge(dc, &box, i < (edge + 1) / 2 ? BDR_SUNKENOUTER : BDR_SUNKENINNER, BF_RECT);
        InflateRect(&box, -1, -1);
    }
    // Magnified by a whole number, DrawIconEx repeats each pixel: stretching only shrinks by a
    // rule of the DC's mode, and an image with alpha is always stretched as colour on colour.
    const IconArt art = IconArtFor(IconSizeAt(Dpi()));
    const int offset = (side - art.drawn()) / 2;
    const IconHandle icon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                      IMAGE_ICON, art.image, art.image, 0)));
    DrawIconEx(dc, item.rcItem.left + offset, item.rcItem.top + offset, icon.get(), art.drawn(),
               art.drawn(), 0, nullptr, DI_NORMAL);
}
