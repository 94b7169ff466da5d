#pragma once

#include <windows.h>

#include <string>

// How this process runs: "x64" (64-bit), "wow64" (32-bit on 64-bit Windows) or "win32" (32-bit
// Windows).
inline std::string ProcessMode() {
    if (sizeof(void*) == 8) return "x64";
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 ? "wow64" : "win32";
}

// The system folder as a 64-bit process, the logon screen among them, sees it. A 32-bit process
// on 64-bit Windows reaches it through "sysnative", without the code under test.
inline std::wstring NativeSystemFolder() {
    return ProcessMode() == "wow64" ? L"C:\\windows\\sysnative" : L"C:\\windows\\system32";
}
