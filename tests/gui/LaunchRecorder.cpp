// Stands in for the mail client and the browser: writes the target it was handed, and the
// folder it was started in, to C:\quillmere-launch.txt (UTF-16).
#include <windows.h>

#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring record = std::wstring(count > 1 ? args[1] : L"") + L"\n" + folder + L"\n";
    const std::wstring temp = L"C:\\quillmere-launch.tmp";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
    // Appears whole or not at all.
    MoveFileExW(temp.c_str(), L"C:\\quillmere-launch.txt", MOVEFILE_REPLACE_EXISTING);
    LocalFree(args);
    return 0;
}
