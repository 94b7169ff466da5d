#pragma once

#include <windows.h>

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

// Enters a single-threaded apartment with OLE1 DDE off on the calling thread, the UI thread,
// once, and stays in it for the life of the program: the shell and accessibility clients ask
// their callers for one. Ole32 is loaded only then.
void EnterComApartmentOnce();
