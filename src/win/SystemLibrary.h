#pragma once

#include <windows.h>

// Loads a DLL of the system folder by its full path, so that no search takes place and nothing
// planted beside the exe or in the current folder can stand in for it. Null if it cannot.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a system DLL, loaded by full path when first asked for; null if it is missing.
template <class Proc> Proc SystemProc(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadSystemLibrary(dll);
    if (!module) return nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
