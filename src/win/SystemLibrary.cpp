#include "win/SystemLibrary.h"

#include <string>

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryW(path.c_str());
}

const ApartmentCalls& Apartment() {
    static const ApartmentCalls calls = {
        SystemProc<decltype(ApartmentCalls::enter)>(L"ole32.dll", "CoInitializeEx"),
        SystemProc<decltype(ApartmentCalls::leave)>(L"ole32.dll", "CoUninitialize")};
    return calls;
}

void EnterComApartmentOnce() {
    static bool entered = false;
    if (entered) return;
    entered = true;
    // Not entered (out of memory, say), the calls that need it fail on their own.
    if (Apartment().enter) Apartment().enter(nullptr, SingleThreadedApartment);
}
