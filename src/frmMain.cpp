#include "frmMain.h"

#include "AnsiText.h"
#include "AppInfo.h"
#include "settings.h"
#include "win/WindowText.h"

#include <cwctype>

namespace {

const wchar_t NameFailure[] =
    L"The settings were not saved. The screen saver name holds characters that this system's "
    L"code page cannot store.";
const wchar_t SaveFailure[] =
    L"The settings could not be saved. You must have Administrator level privileges to change "
    L"the screen saver of the Welcome Screen.";

std::wstring_view Trim(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

std::optional<int> TimeoutFromText(std::wstring_view text) {
    text = Trim(text);
    for (const TimeoutEntry& entry : TimeoutTable)
        if (EqualsIgnoringCase(text, entry.caption)) return entry.seconds;

    size_t digits = 0;
    while (digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9')
        ++digits;
    if (digits == 0 || digits > 4) return std::nullopt;
    const std::wstring_view unit = Trim(text.substr(digits));
    if (!unit.empty() && !EqualsIgnoringCase(unit, L"Min")) return std::nullopt;
    int minutes = 0;
    for (size_t i = 0; i < digits; ++i)
        minutes = minutes * 10 + (text[i] - L'0');
    if (minutes < 1) return std::nullopt;
    return minutes * 60;
}

const Form::WindowTraits& frmMain::Traits() const {
    // Frames differ between systems: the controls never fall outside the client area.
    static constexpr WindowTraits traits = {L"QuillmereMain",
                                            AppTitle,
                                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                            0,
                                            4470,
                                            2520,
                                            4350,
                                            1710};
    return traits;
}

HMENU frmMain::CreateMenuBar() const {
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, IdFileExit, L"E&xit");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, IdHelpAbout, L"&About ");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    return bar;
}

void frmMain::CreateControls() {
    // Created in tab order, each label just before its chooser: a screen reader names a combo
    // box after the static text before it. The labels take no focus. A drop-down combo's height
    // at creation is that of its open list, so the list gets room here and the field is fitted
    // below.
    const DWORD combo = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    AddControl(L"STATIC", L"Choose the Logon screen Screen Saver", SS_LEFT, IdLabel1,
               {360, 120, 2055, 375});
    Combo1 = AddControl(L"COMBOBOX", L"Combo1", combo | CBS_SORT, IdCombo1, {360, 600, 1935, 3000});
    btnApply = AddControl(L"BUTTON", L"&Apply", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, IdApply,
                          {600, 1080, 1335, 375});
    btnExit = AddControl(L"BUTTON", L"E&xit", WS_TABSTOP | BS_PUSHBUTTON, IdExit,
                         {2400, 1080, 1335, 375});
    AddControl(L"STATIC", L"Select the timeout value", SS_LEFT, IdLabel2, {2640, 120, 1215, 375});
    Combo2 = AddControl(L"COMBOBOX", L"", combo, IdCombo2, {2640, 600, 1215, 1800});

    for (const TimeoutEntry& entry : TimeoutTable) {
        const LRESULT index =
            SendMessageW(Combo2, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.caption.data()));
        SendMessageW(Combo2, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.seconds);
    }
    // Only the text: no entry is selected until the user picks one.
    SetWindowTextW(Combo2, L"10 Min");
}

void frmMain::FitControls() {
    FitComboHeight(Combo1, 315);
    FitComboHeight(Combo2, 315);
}

// Sets the text field's item height so that the closed box is as tall as designed. How the box
// height follows the item height differs between systems and sizes, so it is measured, not
// assumed; a few steps settle it.
void frmMain::FitComboHeight(HWND combo, int twips) {
    const int target = TwipsToPixelsY(twips);
    LRESULT item = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int step = 0; step < 4; ++step) {
        RECT r;
        GetWindowRect(combo, &r);
        const int excess = static_cast<int>(r.bottom - r.top) - target;
        if (excess == 0 || item - excess <= 0) return;
        item -= excess;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
    }
}

void frmMain::Form_Load() {
    // The outer size and the place on the screen were given when the window was made (Traits),
    // so that it is laid out once. No step below can stop the load: the reads give "(None)" and
    // an empty list when they fail, and a full list keeps the entries it took.
    Show();
    const std::wstring current = ReadLogonScreenSaver();
    const std::vector<std::wstring> names = ListScreenSaverFiles();
    SendMessageW(Combo1, CB_INITSTORAGE, names.size() + 1, 0);
    for (const std::wstring& name : names)
        if (SendMessageW(Combo1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str())) ==
            CB_ERRSPACE)
            break;
    SendMessageW(Combo1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(NoneEntry.data()));
    SetWindowTextW(Combo1, current.c_str());
    EnableWindow(btnApply, FALSE);
}

void frmMain::Form_Unload(std::int16_t& cancel) {
    (void)cancel; // never set: closing always goes through
    UnloadAllBut(*this);
}

void frmMain::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IdCombo1:
        if (code == CBN_SELCHANGE) Combo1_Click();
        break;
    case IdCombo2:
        if (code == CBN_SELCHANGE) Combo2_Click();
        break;
    case IdApply:
        if (code == BN_CLICKED) btnApply_Click();
        break;
    case IdExit:
        if (code == BN_CLICKED) btnExit_Click();
        break;
    case IdFileExit:
        mnuFileExit_Click();
        break;
    case IdHelpAbout:
        mnuHelpAbout_Click();
        break;
    }
}

void frmMain::Combo1_Click() {
    EnableWindow(btnApply, TRUE);
}

void frmMain::Combo2_Click() {
    EnableWindow(btnApply, TRUE);
}

// The picked entry's seconds while the field still shows it; otherwise what the text says.
std::optional<int> frmMain::ChosenTimeout() const {
    const std::wstring text = WindowText(Combo2);
    const LRESULT index = SendMessageW(Combo2, CB_GETCURSEL, 0, 0);
    if (index >= 0 && static_cast<size_t>(index) < TimeoutTable.size() &&
        text == TimeoutTable[static_cast<size_t>(index)].caption)
        return static_cast<int>(SendMessageW(Combo2, CB_GETITEMDATA, index, 0));
    return TimeoutFromText(text);
}

void frmMain::btnApply_Click() {
    const std::wstring choice = WindowText(Combo1);
    std::optional<int> seconds;
    if (!IsNoneChoice(choice)) seconds = ChosenTimeout();
    if (!ApplyLogonChoice(choice, seconds)) {
        // Unlike a silent failure, this leaves Apply available for another try.
        const wchar_t* why = IsNoneChoice(choice) || ToAnsi(choice) ? SaveFailure : NameFailure;
        MessageBoxW(hwnd(), why, AppTitle, MB_OK | MB_ICONERROR);
        return;
    }
    const bool hadFocus = GetFocus() == btnApply;
    EnableWindow(btnApply, FALSE);
    if (hadFocus) SetFocus(GetNextDlgTabItem(hwnd(), btnApply, FALSE));
}

void frmMain::btnExit_Click() {
    Unload();
}

void frmMain::mnuFileExit_Click() {
    Unload();
}
