#include "win/DllSearch.h"

#include "AppInfo.h"
#include "win/SystemLibrary.h"

#include <string>

namespace {
const wchar_t MissingDllSearchUpdate[] =
    L"Quillmere needs the Windows update KB2533623, which lets a program load system files only "
    L"from the system folder. Install it from Windows Update, then start Quillmere again.";
} // namespace

bool RestrictDllSearch(HMODULE kernel32) {
    const auto setDefault = ProcOf<BOOL(WINAPI*)(DWORD)>(kernel32, "SetDefaultDllDirectories");
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return false;
    // Also out of the search of a load that asks for the old order by name.
    SetDllDirectoryW(L"");
    return true;
}

void ReportMissingDllSearchUpdate() {
    MessageBoxW(nullptr, MissingDllSearchUpdate, AppTitle,
                MB_OK | MB_ICONERROR | MB_SERVICE_NOTIFICATION);
}
