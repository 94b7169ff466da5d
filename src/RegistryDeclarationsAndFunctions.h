#pragma once

#include <windows.h>

#include <string>

// String values in the registry, reached through the ANSI registry calls. Key handles live
// inside one call. Writes and deletes say whether the system accepted the change; nothing is
// shown or logged, and a read that cannot be done gives the caller's default.

// Writes a REG_SZ value, creating the key and any missing parents. A text with a character the
// ANSI code page cannot hold is refused without writing anything.
bool SetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                       const std::wstring& text);

// Reads a REG_SZ or REG_EXPAND_SZ value as stored (no expansion), cut at its first NUL.
// Any other type, a missing key or value, or a refused read gives defaultText. A text that
// the ANSI code page cannot hold is given exactly, not as its look-alike.
std::wstring GetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                               const std::wstring& defaultText);

// Deletes a value. A value or key that does not exist counts as accepted: nothing had to change.
bool DeleteRegistryValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName);
