#include "win/LinkLabel.h"

#include "win/Handles.h"
#include "win/LinkAccessible.h"
#include "win/WindowText.h"

#include <algorithm>

namespace {

// The label's own procedure, kept on each link.
const wchar_t PreviousProc[] = L"Quillmere.LinkLabel.PreviousProc";

LRESULT CallPrevious(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, PreviousProc));
    return previous ? CallWindowProcW(previous, hwnd, msg, wp, lp)
                    : DefWindowProcW(hwnd, msg, wp, lp);
}

void ReportClick(HWND link) {
    SendMessageW(GetParent(link), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(link), STN_CLICKED),
                 reinterpret_cast<LPARAM>(link));
}

// Where the label's text lies, with a pixel to spare right and below where the label has it.
RECT TextRect(HWND link, HDC dc) {
    RECT client, r = LabelTextExtent(link, dc);
    GetClientRect(link, &client);
    r.right = std::min(r.right + 1, client.right);
    r.bottom = std::min(r.bottom + 1, client.bottom);
    return r;
}

bool ShowsFocus(HWND link) {
    return GetFocus() == link && !(SendMessageW(link, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

LRESULT CALLBACK LinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(hwnd); // the release is ours wherever it happens
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) {
            ReleaseCapture();
            RECT r;
            GetClientRect(hwnd, &r);
            const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            if (PtInRect(&r, at)) ReportClick(hwnd);
        }
        return 0;
    case WM_GETDLGCODE: {
        // Enter and Space act on the focused link, Enter not on the default button.
        const LRESULT code = CallPrevious(hwnd, msg, wp, lp);
        const auto* m = reinterpret_cast<const MSG*>(lp);
        if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) &&
            (m->wParam == VK_RETURN || m->wParam == VK_SPACE))
            return code | DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (wp == VK_RETURN || wp == VK_SPACE) {
            if (!(lp & (1 << 30))) ReportClick(hwnd); // once per press, not per repeat
            return 0;
        }
        break;
    case WM_CHAR:
        if (wp == VK_RETURN || wp == VK_SPACE) return 0;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_PAINT: {
        // The label paints into our DC, then the focus rectangle goes over it.
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd, &ps);
        CallPrevious(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        if (ShowsFocus(hwnd)) {
            const RECT r = TextRect(hwnd, dc);
            DrawFocusRect(dc, &r);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_GETOBJECT:
        if (static_cast<LONG>(lp) == OBJID_CLIENT)
            if (const LRESULT accessible = LinkAccessibleResult(hwnd, wp)) return accessible;
        break;
    case WM_NCDESTROY: {
        const LRESULT result = CallPrevious(hwnd, msg, wp, lp);
        RemovePropW(hwnd, PreviousProc);
        return result;
    }
    }
    return CallPrevious(hwnd, msg, wp, lp);
}

} // namespace

void MakeLink(HWND label) {
    if (GetPropW(label, PreviousProc)) return;
    SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | WS_TABSTOP);
    SetPropW(label, PreviousProc, reinterpret_cast<HANDLE>(GetWindowLongPtrW(label, GWLP_WNDPROC)));
    SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkProc));
}

bool IsLink(HWND window) {
    return IsWindow(window) && GetPropW(window, PreviousProc) != nullptr;
}
