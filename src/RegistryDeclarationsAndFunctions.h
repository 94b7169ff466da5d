#pragma once

#include <windows.h>

#include <optional>
#include <string>

// String values in the registry, reached through the ANSI registry calls. Key handles live
// inside one call. Writes and deletes say whether the system accepted the change; nothing is
// shown or logged, and a read that cannot be done gives the caller's default.

// Writes a REG_SZ value, creating the key and any missing parents. A text with a character the
// ANSI code page cannot hold is refused without writing anything.
bool SetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                       const std::wstring& text);

// The same write in two halves. Preparing converts the key path, the name and the text to the
// ANSI code page (nothing for a text it cannot hold); writing allocates nothing, so a run of
// writes prepared together cannot stop half-way for want of memory.
struct PreparedString {
    std::string subKey, valueName, text;
};
std::optional<PreparedString> PrepareRegistryString(const std::wstring& subKey,
                                                    const std::wstring& valueName,
                                                    const std::wstring& text);
bool WritePreparedString(HKEY root, const PreparedString& value);

// The longest text a read gives, in characters before the first NUL.
inline constexpr DWORD MaxRegistryText = 32767;

// Reads a REG_SZ or REG_EXPAND_SZ value as stored (no expansion), cut at its first NUL.
// Any other type, a missing key or value, a refused read, or a value longer than
// MaxRegistryText (or stored in more bytes than such a text takes) gives defaultText. A text
// that the ANSI code page cannot hold is given exactly, not as its look-alike.
std::wstring GetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                               const std::wstring& defaultText);

// Deletes a value. A value or key that does not exist counts as accepted: nothing had to change.
bool DeleteRegistryValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName);
