#include "Module1.h"
#include "win/Form.h"

#include <windows.h>

namespace {

// DLLs come from the system folder only, never from beside the exe or the current folder,
// where anyone could have planted one. Looked up at run time: older systems lack the call.
void RestrictDllSearch() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const FARPROC proc =
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (proc)
        reinterpret_cast<SetDirectories>(reinterpret_cast<void (*)()>(proc))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    Main();
    return Form::RunMessageLoop();
}
