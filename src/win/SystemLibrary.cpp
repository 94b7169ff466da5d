#include "win/SystemLibrary.h"

#include <objbase.h>

#include <string>

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryW(path.c_str());
}

void EnterComApartmentOnce() {
    static bool entered = false;
    if (entered) return;
    entered = true;
    using CoInitializeExProc = HRESULT(WINAPI*)(LPVOID, DWORD);
    if (const auto init = SystemProc<CoInitializeExProc>(L"ole32.dll", "CoInitializeEx"))
        init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}
