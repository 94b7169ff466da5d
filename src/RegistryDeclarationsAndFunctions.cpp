#include "RegistryDeclarationsAndFunctions.h"

#include "AnsiText.h"
#include "win/Handles.h"

#include <algorithm>

namespace {

// The value as the system stores it, read wide, cut at its first NUL; empty if unreadable.
std::wstring StoredWide(HKEY key, const std::string& valueName) {
    const std::wstring name = FromAnsi(valueName);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD filled = size;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &filled) != ERROR_SUCCESS)
        return {};
    text.resize(std::min<size_t>(filled / sizeof(wchar_t), text.size()));
    const auto nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    return text;
}

} // namespace

bool SetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                       const std::wstring& text) {
    const auto path = ToAnsi(subKey);
    const auto name = ToAnsi(valueName);
    const auto data = ToAnsi(text);
    if (!path || !name || !data || data->size() >= MAXDWORD) return false;

    RegKey key;
    if (RegCreateKeyA(root, path->c_str(), key.put()) != ERROR_SUCCESS) return false;
    const DWORD bytes = static_cast<DWORD>(data->size() + 1); // the terminating NUL counts
    return RegSetValueExA(key.get(), name->c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data->c_str()), bytes) == ERROR_SUCCESS;
}

std::wstring GetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                               const std::wstring& defaultText) {
    const auto path = ToAnsi(subKey);
    const auto name = ToAnsi(valueName);
    if (!path || !name) return defaultText;

    RegKey key;
    if (RegOpenKeyA(root, path->c_str(), key.put()) != ERROR_SUCCESS) return defaultText;

    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name->c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return defaultText;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultText;

    std::string buffer(size, ' ');
    DWORD filled = size;
    // The value may have changed between the two queries; then it is as good as unreadable.
    if (RegQueryValueExA(key.get(), name->c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &filled) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return defaultText;
    buffer.resize(std::min(filled, size));

    std::wstring text = FromAnsi(buffer);
    const auto nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    // A stored text the code page cannot hold comes back with look-alikes or '?' in it; shown
    // and written back, that would silently replace the name. Then give it as it is stored.
    const std::wstring stored = StoredWide(key.get(), *name);
    return stored.empty() || stored == text ? text : stored;
}

bool DeleteRegistryValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
    const auto path = ToAnsi(subKey);
    const auto name = ToAnsi(valueName);
    if (!path || !name) return false;

    RegKey key;
    const LONG opened = RegOpenKeyA(root, path->c_str(), key.put());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;

    const LONG deleted = RegDeleteValueA(key.get(), name->c_str());
    if (deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND) return true;
    // A key we may not write can still be one where the value is already gone.
    return RegQueryValueExA(key.get(), name->c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_FILE_NOT_FOUND;
}
