#include "RegistryDeclarationsAndFunctions.h"

#include "AnsiText.h"
#include "win/Handles.h"

#include <algorithm>
#include <utility>

namespace {

// A value is read only when its size leaves room for no more than the longest text read, so
// that nothing the registry holds makes the program allocate without bound, or wait for it.
// A value cannot be read in part; a larger one counts as unreadable.
constexpr DWORD MaxWideBytes = (MaxRegistryText + 1) * sizeof(wchar_t);
// UTF-8, the widest ANSI code page, takes at most three bytes for each UTF-16 unit.
constexpr DWORD MaxAnsiBytes = (MaxRegistryText + 1) * 3;

// The size of the value as the system stores it (UTF-16), asked without reading the value; 0
// if it cannot be asked. (Asked through the ANSI call, the size of a large value can cost as
// much as reading it.)
DWORD StoredBytes(HKEY key, const std::wstring& name) {
    DWORD size = 0;
    return RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS
               ? size
               : 0;
}

// The value as the system stores it (`size` bytes, as StoredBytes gave), read wide, cut at its
// first NUL; empty if unreadable.
std::wstring StoredWide(HKEY key, const std::wstring& name, DWORD size) {
    if (size == 0 || size > MaxWideBytes) return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD filled = size;
    if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                         &filled) != ERROR_SUCCESS)
        return {};
    text.resize(std::min<size_t>(filled / sizeof(wchar_t), text.size()));
    const auto nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    return text;
}

} // namespace

std::optional<PreparedString> PrepareRegistryString(const std::wstring& subKey,
                                                    const std::wstring& valueName,
                                                    const std::wstring& text) {
    auto path = ToAnsi(subKey);
    auto name = ToAnsi(valueName);
    auto data = ToAnsi(text);
    if (!path || !name || !data || data->size() >= MAXDWORD) return std::nullopt;
    return PreparedString{std::move(*path), std::move(*name), std::move(*data)};
}

bool WritePreparedString(HKEY root, const PreparedString& value) {
    RegKey key;
    if (RegCreateKeyA(root, value.subKey.c_str(), key.put()) != ERROR_SUCCESS) return false;
    const DWORD bytes = static_cast<DWORD>(value.text.size() + 1); // the terminating NUL counts
    return RegSetValueExA(key.get(), value.valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool SetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                       const std::wstring& text) {
    const auto value = PrepareRegistryString(subKey, valueName, text);
    return value && WritePreparedString(root, *value);
}

std::wstring GetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                               const std::wstring& defaultText) {
    const auto path = ToAnsi(subKey);
    const auto name = ToAnsi(valueName);
    if (!path || !name) return defaultText;

    RegKey key;
    if (RegOpenKeyA(root, path->c_str(), key.put()) != ERROR_SUCCESS) return defaultText;
    const std::wstring wideName = FromAnsi(*name);
    const DWORD storedBytes = StoredBytes(key.get(), wideName);
    if (storedBytes > MaxWideBytes) return defaultText;

    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name->c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return defaultText;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > MaxAnsiBytes) return defaultText;

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
    if (text.size() > MaxRegistryText) return defaultText;
    // A stored text the code page cannot hold comes back with look-alikes or '?' in it; shown
    // and written back, that would silently replace the name. Then give it as it is stored.
    const std::wstring stored = StoredWide(key.get(), wideName, storedBytes);
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
