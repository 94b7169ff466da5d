#pragma once

#include "win/Handles.h"

#include <windows.h>

#include <string>

// The text of a window or control, whole.
inline std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

// Where a label's text lies as the label draws it: wrapped at its width from its top left
// corner, in its own font.
inline RECT LabelTextExtent(HWND label, HDC dc) {
    RECT client;
    GetClientRect(label, &client);
    const std::wstring text = WindowText(label);
    RECT r = {0, 0, client.right, 0};
    const SelectInDc font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    return r;
}
