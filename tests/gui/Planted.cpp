// A DLL that must never be loaded into the program: it leaves a mark when it is.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t name[MAX_PATH] = {};
        GetModuleFileNameW(self, name, MAX_PATH);
        HANDLE mark = CreateFileW(L"C:\\quillmere-planted.txt", FILE_APPEND_DATA, 0, nullptr,
                                  OPEN_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(mark, name, static_cast<DWORD>(wcslen(name) * sizeof(wchar_t)), &written,
                  nullptr);
        CloseHandle(mark);
    }
    return TRUE;
}
