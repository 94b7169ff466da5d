// Stands in for the mail client and the browser: writes the target it was handed, the folder it
// was started in, the program that started it and the show command it was given, one per line,
// to C:\quillmere-launch.txt (UTF-16).
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

namespace {

// The file name of the process that started this one, from a snapshot of every process.
std::wstring ParentName() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return L"?";
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !parent;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    std::wstring name = L"?";
    for (BOOL more = Process32FirstW(snapshot, &entry); more && parent;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == parent) name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1;
    const std::wstring record = std::wstring(count > 1 ? args[1] : L"") + L"\n" + folder + L"\n" +
                                ParentName() + L"\n" + std::to_wstring(show) + L"\n";
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
