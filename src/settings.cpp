#include "settings.h"

#include "AnsiText.h"
#include "RegistryDeclarationsAndFunctions.h"
#include "win/Handles.h"

namespace {
const std::wstring ScreenSaverValue = L"SCRNSAVE.EXE";
}

std::wstring ReadLogonScreenSaver() {
    std::wstring value =
        GetRegistryString(LogonDesktopKey.root, LogonDesktopKey.path, ScreenSaverValue, L"");
    return value.empty() ? std::wstring(NoneEntry) : value;
}

bool SetLogonScreenSaver(const std::wstring& fileName, std::optional<int> seconds) {
    // Check before the first write, so that a name that cannot be stored leaves no half change.
    if (!ToAnsi(fileName)) return false;
    bool accepted =
        SetRegistryString(LogonDesktopKey.root, LogonDesktopKey.path, ScreenSaverValue, fileName);
    accepted &=
        SetRegistryString(LogonDesktopKey.root, LogonDesktopKey.path, L"ScreenSaveActive", L"1");
    if (seconds)
        accepted &= SetRegistryString(LogonDesktopKey.root, LogonDesktopKey.path,
                                      L"ScreenSaveTimeout", DecimalText(*seconds));
    return accepted;
}

bool ClearLogonScreenSaver() {
    return DeleteRegistryValue(LogonDesktopKey.root, LogonDesktopKey.path, ScreenSaverValue);
}

bool IsNoneChoice(std::wstring_view choice) {
    return choice == NoneEntry;
}

bool ApplyLogonChoice(const std::wstring& choice, std::optional<int> seconds) {
    return IsNoneChoice(choice) ? ClearLogonScreenSaver() : SetLogonScreenSaver(choice, seconds);
}

std::wstring SystemFolderPath() {
    return GetRegistryString(WindowsVersionKey.root, WindowsVersionKey.path, L"SystemRoot", L"") +
           L"\\system32";
}

bool IsScreenSaverName(std::wstring_view fileName) {
    return fileName.ends_with(L".scr");
}

std::vector<std::wstring> ListScreenSaverFiles() {
    return ListScreenSaverFilesIn(SystemFolderPath());
}

std::vector<std::wstring> ListScreenSaverFilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    // The basic info level skips the 8.3 names, which nobody here reads.
    FindHandle find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) return names;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (IsScreenSaverName(entry.cFileName)) names.emplace_back(entry.cFileName);
    } while (FindNextFileW(find.get(), &entry));
    return names;
}
