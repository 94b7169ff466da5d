#include "settings.h"

#include "AnsiText.h"
#include "RegistryDeclarationsAndFunctions.h"
#include "win/Handles.h"
#include "win/SystemLibrary.h"

namespace {

const wchar_t ScreenSaverValue[] = L"SCRNSAVE.EXE";

// A 32-bit process on 64-bit Windows is shown SysWOW64 in place of System32, but the logon
// screen, a 64-bit process, runs its screen saver from the real System32. While this object
// lives, the calling thread sees the real folders. The calls are looked up at run time: a
// 32-bit Windows may lack them, and there nothing is redirected anyway.
class NativeFileSystemView {
  public:
    NativeFileSystemView() {
#if !defined(_WIN64)
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll"); // loaded in every process
        const auto isWow64 = ProcOf<BOOL(WINAPI*)(HANDLE, PBOOL)>(kernel, "IsWow64Process");
        const auto disable =
            ProcOf<BOOL(WINAPI*)(PVOID*)>(kernel, "Wow64DisableWow64FsRedirection");
        revert_ = ProcOf<BOOL(WINAPI*)(PVOID)>(kernel, "Wow64RevertWow64FsRedirection");
        BOOL wow64 = FALSE;
        if (isWow64 && disable && revert_ && isWow64(GetCurrentProcess(), &wow64) && wow64)
            disabled_ = disable(&old_) != FALSE;
#endif
    }
    NativeFileSystemView(const NativeFileSystemView&) = delete;
    NativeFileSystemView& operator=(const NativeFileSystemView&) = delete;
    ~NativeFileSystemView() {
        if (disabled_) revert_(old_);
    }

  private:
    BOOL(WINAPI* revert_)(PVOID) = nullptr;
    PVOID old_ = nullptr;
    bool disabled_ = false;
};

} // namespace

std::wstring ReadLogonScreenSaver() {
    std::wstring value =
        GetRegistryString(LogonDesktopKey.root, LogonDesktopKey.path, ScreenSaverValue, L"");
    return value.empty() ? std::wstring(NoneEntry) : value;
}

bool SetLogonScreenSaver(const std::wstring& fileName, std::optional<int> seconds) {
    // Everything the writes need is made before the first one: a name that cannot be stored, or
    // memory running out, stops Apply before anything is written, never between two writes.
    const auto at = [](const wchar_t* name, const std::wstring& text) {
        return PrepareRegistryString(LogonDesktopKey.path, name, text);
    };
    const auto name = at(ScreenSaverValue, fileName);
    const auto active = at(L"ScreenSaveActive", L"1");
    const auto timeout = seconds ? at(L"ScreenSaveTimeout", DecimalText(*seconds)) : std::nullopt;
    if (!name || !active || (seconds && !timeout)) return false;
    bool accepted = WritePreparedString(LogonDesktopKey.root, *name);
    accepted &= WritePreparedString(LogonDesktopKey.root, *active);
    if (timeout) accepted &= WritePreparedString(LogonDesktopKey.root, *timeout);
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
    const NativeFileSystemView native; // outlives the find handle, which it scopes
    // The basic info level skips the 8.3 names, which nobody here reads.
    FindHandle find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) return names;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (IsScreenSaverName(entry.cFileName)) names.emplace_back(entry.cFileName);
    } while (names.size() < MaxScreenSaverNames && FindNextFileW(find.get(), &entry));
    return names;
}
