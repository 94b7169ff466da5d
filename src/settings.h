#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the logon screen's screen saver is configured, how it is read and changed, and which
// screen savers the system folder offers.

struct RegistryKeyPath {
    HKEY root;
    const wchar_t* path;
};

inline const RegistryKeyPath LogonDesktopKey{HKEY_USERS, L".DEFAULT\\Control Panel\\Desktop"};
inline const RegistryKeyPath WindowsVersionKey{HKEY_LOCAL_MACHINE,
                                               L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"};

// The chooser entry for "no screen saver", and the reading of an absent or empty value.
inline constexpr std::wstring_view NoneEntry = L"(None)";

std::wstring ReadLogonScreenSaver();

// Writes the file name, the active flag "1" and the timeout, in that order. Without a timeout
// the stored one is left as it is. A name the ANSI code page cannot hold writes nothing.
// True when every write was accepted.
bool SetLogonScreenSaver(const std::wstring& fileName, std::optional<int> seconds);

// Removes the screen saver; the active flag and timeout stay. True when accepted.
bool ClearLogonScreenSaver();

// The whole text "(None)", letter case included, means clear; anything else is a file name.
bool IsNoneChoice(std::wstring_view choice);

// Turns a chooser text into a clear or a set; the timeout matters only for a set.
bool ApplyLogonChoice(const std::wstring& choice, std::optional<int> seconds);

// The system root from the registry followed by "\system32", as stored (no expansion).
std::wstring SystemFolderPath();

// A name that ends in exactly ".scr", letter case included.
bool IsScreenSaverName(std::wstring_view fileName);

// The most names a listing gives: the first ones in listing order, so that no folder makes the
// program allocate without bound. Each name is at most MAX_PATH characters.
inline constexpr size_t MaxScreenSaverNames = 32767;

// Screen-saver file names directly in the system folder, in listing order.
std::vector<std::wstring> ListScreenSaverFiles();

// The same for any folder; sub-folders are not files and are never listed.
std::vector<std::wstring> ListScreenSaverFilesIn(const std::wstring& folder);
