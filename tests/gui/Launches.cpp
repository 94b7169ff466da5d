#include "Launches.h"

#include "Driver.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <shlobj.h>
#include <tlhelp32.h>

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
    if (!DesktopAnswers(15000))
        ADD_FAILURE() << "the desktop shell does not answer: a Wine session started on a "
                         "finished prefix has one";
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

std::optional<LaunchRecord> LaunchHandlers::Launched(DWORD timeoutMs) {
    // The file may still be held by the recorder's rename for a moment after it appears, so
    // it counts only once it opens and holds every line.
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
        return std::count(text.begin(), text.end(), L'\n') == 4;
    };
    if (!WaitUntil(read, timeoutMs)) return std::nullopt;
    // Consumed for certain: a record left behind would pass for the next launch. A delete while
    // the recorder still holds the file only marks it, and it can still be read till it goes.
    WaitUntil([] {
        DeleteFileW(Record);
        return GetFileAttributesW(Record) == INVALID_FILE_ATTRIBUTES &&
               GetLastError() == ERROR_FILE_NOT_FOUND;
    });
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return LaunchRecord{lines[0], lines[1], lines[2], _wtoi(lines[3].c_str())};
}

namespace {
bool DesktopAnswersNow() {
    const GUID shellWindows = {
        0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
    IShellWindows* windows = nullptr;
    if (FAILED(CoCreateInstance(shellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                                reinterpret_cast<void**>(&windows))))
        return false;
    VARIANT desktop{}, noRoot{};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    long window = 0;
    IDispatch* found = nullptr;
    const bool answers = windows->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window,
                                               SWFO_NEEDDISPATCH, &found) == S_OK;
    if (found) found->Release();
    windows->Release();
    return answers;
}
} // namespace

bool DesktopAnswers(DWORD timeoutMs) {
    const bool ownApartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const bool answers = WaitUntil(DesktopAnswersNow, timeoutMs);
    if (ownApartment) CoUninitialize();
    return answers;
}

DesktopHeld::DesktopHeld() {
    std::vector<DWORD> shells;
    const HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W process{};
    process.dwSize = sizeof process;
    for (BOOL more = Process32FirstW(processes, &process); more;
         more = Process32NextW(processes, &process))
        if (_wcsicmp(process.szExeFile, L"explorer.exe") == 0)
            shells.push_back(process.th32ProcessID);
    CloseHandle(processes);
    const HANDLE threads = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = Thread32First(threads, &thread); more; more = Thread32Next(threads, &thread)) {
        if (std::find(shells.begin(), shells.end(), thread.th32OwnerProcessID) == shells.end())
            continue;
        if (const HANDLE held = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread.th32ThreadID)) {
            if (SuspendThread(held) != static_cast<DWORD>(-1))
                threads_.push_back(held);
            else
                CloseHandle(held);
        }
    }
    CloseHandle(threads);
    EXPECT_TRUE(holds()) << "no thread of explorer.exe to hold";
}

DesktopHeld::~DesktopHeld() {
    for (const HANDLE thread : threads_) {
        ResumeThread(thread);
        CloseHandle(thread);
    }
}

void Click(HWND window) {
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}
