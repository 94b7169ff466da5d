#include "win/Form.h"

#include "resource.h"
#include "win/Handles.h"
#include "win/Placement.h"

#include <algorithm>

namespace {

std::vector<Form*> loadedForms;

// WM_GETDPISCALEDSIZE, sent by Windows 10 1703 and later; the headers name it only for
// programs that require Windows 10.
constexpr UINT GetDpiScaledSize = 0x02E4;

} // namespace

Form::~Form() {
    if (hwnd_) Unload();
}

const std::vector<Form*>& Form::LoadedForms() {
    return loadedForms;
}

void Form::UnloadAllBut(const Form& keep) {
    // An unload can unload others in turn: the list is read afresh each time.
    for (size_t i = loadedForms.size(); i-- > 0;)
        if (i < loadedForms.size() && loadedForms[i] != &keep) loadedForms[i]->Unload();
}

Form* Form::FromWindow(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (Form* form : loadedForms)
        if (form->hwnd_ == hwnd) return form;
    return nullptr;
}

void Form::RegisterClassOnce(const wchar_t* className) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, className, &wc)) return; // an earlier window registered it
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

void Form::Load(HWND owner) {
    if (hwnd_) return;
    const WindowTraits& traits = Traits();
    RegisterClassOnce(traits.className);
    // Made at its size and place, centred over its owner or the screen, and with its menu bar,
    // so that it is laid out once: at its owner's DPI, or the screen's, until Windows says which
    // one it gave the window.
    const HDC screen = GetDC(nullptr);
    const Form* ownerForm = FromWindow(owner);
    scale_.Use(ownerForm ? ownerForm->Dpi() : WindowDpi::OfScreen(screen), screen);
    const HMENU menu = CreateMenuBar();
    SIZE size = OuterSize(traits, menu != nullptr, Dpi());
    POINT at = CentredOn(owner, size.cx, size.cy);
    hwnd_ = CreateWindowExW(traits.exStyle, traits.className, traits.caption, traits.style, at.x,
                            at.y, size.cx, size.cy, owner, menu, GetModuleHandleW(nullptr), this);
    // Where Windows gives each window the DPI of the monitor it opened on, that one, before
    // anything is shown.
    const int given = hwnd_ ? WindowDpi::OfWindow(hwnd_, Dpi()) : Dpi();
    if (given != Dpi()) {
        scale_.Use(given, screen);
        size = OuterSize(traits, menu != nullptr, given);
        at = CentredOn(owner, size.cx, size.cy);
        SetWindowPos(hwnd_, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ReleaseDC(nullptr, screen);
    if (!hwnd_) return;
    // The class's icons are the system DPI's; the window's own are its DPI's.
    scale_.SetIcons(hwnd_);
    loadedForms.push_back(this);
    CreateControls();
    scale_.FitLabels();
    FitControls();
    Form_Load();
}

// The outer size at a DPI: the client size with this system's frame around it, at least the
// designed outer size.
SIZE Form::OuterSize(const WindowTraits& traits, bool menu, int dpi) const {
    const auto px = [dpi](int twips) { return WindowDpi::TwipsToPixels(twips, dpi); };
    const RECT frame = scale_.Frame(dpi, px(traits.clientWidth), px(traits.clientHeight),
                                    traits.style, menu, traits.exStyle);
    return {std::max<LONG>(frame.right - frame.left, px(traits.outerWidth)),
            std::max<LONG>(frame.bottom - frame.top, px(traits.outerHeight))};
}

// Windows moved the window to a screen of another DPI, and suggests its new rectangle.
void Form::OnDpiChanged(int dpi, const RECT& suggested) {
    scale_.Change(hwnd_, dpi);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    FitControls();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::Show() {
    if (!hwnd_) Load();
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void Form::ShowModal(Form& owner) {
    if (!hwnd_) Load(owner.hwnd());
    if (!hwnd_) return;
    CentreOver(owner.hwnd());
    modalOwner_ = owner.hwnd();
    EnableWindow(modalOwner_, FALSE);
    Show();
    Pump(this);
    if (hwnd_) Unload();
}

void Form::Unload() {
    if (!hwnd_) return;
    std::int16_t cancel = 0;
    Form_Unload(cancel);
    if (cancel || !hwnd_) return;
    // Re-enable the owner before this window goes, so that activation returns to it.
    if (modalOwner_) {
        EnableWindow(modalOwner_, TRUE);
        modalOwner_ = nullptr;
    }
    loadedForms.erase(std::remove(loadedForms.begin(), loadedForms.end(), this), loadedForms.end());
    const HWND gone = hwnd_;
    hwnd_ = nullptr;
    lastFocus_ = nullptr;
    DestroyWindow(gone);
    scale_.Clear();
    if (loadedForms.empty()) PostQuitMessage(0);
}

std::optional<int> Form::RunMessageLoop() {
    return Pump(nullptr);
}

std::optional<int> Form::Pump(const Form* modal) {
    MSG msg;
    while (!modal || modal->hwnd_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return std::nullopt;
        if (got == 0) {
            if (modal) PostQuitMessage(static_cast<int>(msg.wParam));
            return static_cast<int>(msg.wParam);
        }
        Dispatch(msg);
    }
    return 0;
}

Form::Waited Form::RunMessagesUntil(HANDLE object, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return Waited::Quit;
            }
            Dispatch(msg);
        }
        const DWORD waited = GetTickCount() - start; // unsigned: right across the wrap
        const DWORD left = waited < timeoutMs ? timeoutMs - waited : 0;
        const DWORD result =
            MsgWaitForMultipleObjectsEx(1, &object, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) return Waited::Signalled;
        // Time up, even while messages keep coming; or the wait itself failed.
        if (result != WAIT_OBJECT_0 + 1 || left == 0) return Waited::TimedOut;
    }
}

void Form::Dispatch(MSG& msg) {
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Tab, arrows, Enter, Esc and access keys, as a dialog box handles them.
bool Form::PreTranslate(MSG& msg) {
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (Form* form : loadedForms)
        if (form->hwnd_ == root) return IsDialogMessageW(root, &msg) != FALSE;
    return false;
}

HWND Form::AddControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                      TwipsBox box) {
    HWND control = CreateWindowExW(
        0, windowClass, text, WS_CHILD | WS_VISIBLE | style, TwipsToPixelsX(box.left),
        TwipsToPixelsY(box.top), TwipsToPixelsX(box.width), TwipsToPixelsY(box.height), hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    const bool label = lstrcmpiW(windowClass, L"STATIC") == 0 && (style & SS_TYPEMASK) == SS_LEFT;
    scale_.Place(control, box, label);
    return control;
}

void Form::CentreOver(HWND reference) {
    RECT self;
    GetWindowRect(hwnd_, &self);
    const POINT at = CentredOn(reference, self.right - self.left, self.bottom - self.top);
    SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Form* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    // After Unload the form no longer owns the window; what is left is plain teardown.
    if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->HandleMessage(msg, wp, lp);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case GetDpiScaledSize: {
        // The size the window opens with at that DPI rather than its size scaled, so that any
        // chain of changes ends at the designed size.
        *reinterpret_cast<SIZE*>(lp) =
            OuterSize(Traits(), GetMenu(hwnd_) != nullptr, static_cast<int>(wp));
        return TRUE;
    }
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_ACTIVATE:
        // Keep the keyboard focus where the user left it, as a dialog box does.
        if (LOWORD(wp) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else {
            HWND target = lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)
                              ? lastFocus_
                              : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
            if (target) SetFocus(target);
        }
        return 0;
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, CurrentInkColour(LabelInk(reinterpret_cast<HWND>(lp))));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}
