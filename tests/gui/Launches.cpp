#include "Launches.h"

#include "Driver.h"

#include <algorithm>

#ifndef LAUNCH_RECORDER_EXE
#error LAUNCH_RECORDER_EXE must name the stand-in mail client and browser
#endif

namespace {
const wchar_t Record[] = L"C:\\quillmere-launch.txt";
const wchar_t* const Schemes[] = {L"mailto", L"https"};
} // namespace

LaunchHandlers::LaunchHandlers() {
    for (const wchar_t* scheme : Schemes)
        saved_.push_back(std::make_unique<KeyBackup>(
            HKEY_LOCAL_MACHINE, std::wstring(L"Software\\Classes\\") + scheme));
    DeleteFileW(Record);
}

LaunchHandlers::~LaunchHandlers() {
    saved_.clear();
    DeleteFileW(Record);
}

void LaunchHandlers::Handle(const wchar_t* scheme, const std::wstring& program) {
    const std::wstring key = std::wstring(L"Software\\Classes\\") + scheme;
    PutString(HKEY_LOCAL_MACHINE, key, L"", std::wstring(L"URL:") + scheme);
    PutString(HKEY_LOCAL_MACHINE, key, L"URL Protocol", L"");
    PutString(HKEY_LOCAL_MACHINE, key + L"\\shell\\open\\command", L"",
              L"\"" + program + L"\" \"%1\"");
}

void LaunchHandlers::HandleWithRecorder() {
    for (const wchar_t* scheme : Schemes)
        Handle(scheme, WindowsPath(LAUNCH_RECORDER_EXE));
}

std::vector<std::wstring> LaunchHandlers::Launched(DWORD timeoutMs) {
    // The file may still be held by the recorder's rename for a moment after it appears, so
    // it counts only once it opens and holds both lines.
    std::wstring text;
    const auto read = [&] {
        HANDLE file = CreateFileW(Record, GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        text.assign(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
        DWORD got = 0;
        ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &got,
                 nullptr);
        CloseHandle(file);
        text.resize(got / sizeof(wchar_t));
        return std::count(text.begin(), text.end(), L'\n') == 2;
    };
    std::vector<std::wstring> lines;
    if (!WaitUntil(read, timeoutMs)) return lines;
    // Consumed for certain: a record left behind would pass for the next launch. A delete while
    // the recorder still holds the file only marks it, and it can still be read till it goes.
    WaitUntil([] {
        DeleteFileW(Record);
        return GetFileAttributesW(Record) == INVALID_FILE_ATTRIBUTES &&
               GetLastError() == ERROR_FILE_NOT_FOUND;
    });
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

void Click(HWND window) {
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}
