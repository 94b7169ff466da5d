#pragma once

#include <windows.h>

#include <objbase.h>

// Loads a DLL of the system folder by its full path, so that no search takes place and nothing
// planted beside the exe or in the current folder can stand in for it. Null if it cannot.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a module, typed; null if the module lacks it.
template <class Proc> Proc ProcOf(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A function of a system DLL, loaded by full path when first asked for; null if it is missing.
template <class Proc> Proc SystemProc(const wchar_t* dll, const char* name) {
    return ProcOf<Proc>(LoadSystemLibrary(dll), name);
}

// COM's calls that enter and leave a thread's apartment, from ole32 in the system folder,
// loaded when first asked for; null where they are missing. Ask first on the UI thread: the
// program's statics are made without locks.
struct ApartmentCalls {
    HRESULT(WINAPI* enter)(LPVOID, DWORD);
    void(WINAPI* leave)();
};
const ApartmentCalls& Apartment();

// A single-threaded apartment with OLE1 DDE off, as the shell and accessibility clients ask of
// their callers.
constexpr DWORD SingleThreadedApartment = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE;

// Enters that apartment on the calling thread, the UI thread, once, and stays in it for the
// life of the program. Ole32 is loaded only then.
void EnterComApartmentOnce();
