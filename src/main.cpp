#include "Module1.h"
#include "win/Form.h"
#include "win/SystemLibrary.h"

#include <windows.h>

#include <cstdlib>

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

    // System libraries that others load later through delay-load stubs, which some systems
    // resolve without the restriction above. Loaded now from the system folder by full path,
    // a later load by name finds them in memory and searches nowhere.
    LoadSystemLibrary(L"ole32.dll");
    LoadSystemLibrary(L"msimg32.dll");
}

} // namespace

#if defined(__GLIBCXX__)
// The runtime's default handler prints a demangled type name to a console this program does not
// have, and the demangler is a sixth of the exe. Ending at once is all that is left to do here.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    Main();
    return Form::RunMessageLoop();
}
