#include "AnsiText.h"

#include <windows.h>

#include <climits>

std::wstring FromAnsi(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int n = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring out(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), n, out.data(), wide);
    return out;
}

std::optional<std::string> ToAnsi(std::wstring_view text) {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX / 4) return std::nullopt;
    const int n = static_cast<int>(text.size());
    // Best-fit mapping is what turns a Greek omega into "O"; ask for none (UTF-8 takes no flags).
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int bytes =
        WideCharToMultiByte(CP_ACP, flags, text.data(), n, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), n, out.data(), bytes, nullptr, nullptr);
    // The round trip is the one test that holds for every code page, DBCS and UTF-8 included.
    if (FromAnsi(out) != text) return std::nullopt;
    return out;
}

std::wstring DecimalText(int value) {
    // Work in the negative range, which holds every value, the most negative one included.
    wchar_t digits[12];
    wchar_t* end = digits + 12;
    wchar_t* p = end;
    int n = value < 0 ? value : -value;
    do {
        *--p = static_cast<wchar_t>(L'0' - n % 10);
        n /= 10;
    } while (n != 0);
    if (value < 0) *--p = L'-';
    return std::wstring(p, end);
}
