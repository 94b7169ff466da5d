// Start-up where the program cannot run: on a system that cannot keep DLL loads to the system
// folder (Windows 7 without update KB2533623), and where Windows refuses its main window. It
// shows only a message saying why, and ends with an exit code of its own.
#include "../gui/Driver.h"
#include "Module1.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

struct Ended {
    std::wstring message; // the one message box, closed once read; empty if none showed
    int code = -1;
};

// Runs the program on a thread of its own, after `prepare` on that thread. Windows shows such a
// message from the system; Wine shows it in this process, where the test can read it.
Ended RunProgramOnItsOwn(
    HMODULE kernel32, void (*prepare)() = [] {}) {
    std::atomic<int> code{-1};
    std::atomic<DWORD> thread{0};
    std::thread run([&] {
        thread = GetCurrentThreadId();
        prepare();
        code = RunProgram(kernel32);
    });
    Ended ended;
    HWND box = nullptr;
    if (WaitUntil([&] {
            box = FindWindowW(L"#32770", L"Quillmere");
            DWORD pid = 0;
            GetWindowThreadProcessId(box, &pid);
            return code != -1 || (box && pid == GetCurrentProcessId());
        }) &&
        box) {
        ended.message = MessageBoxText(box);
        EXPECT_EQ(FindWindowW(L"QuillmereMain", nullptr), nullptr) << "a window all the same";
        CloseMessageBox(box);
    }
    // A program waiting for messages that never come is ended, to fail here, not hang.
    if (!WaitUntil([&] { return code != -1; })) PostThreadMessageW(thread, WM_QUIT, 99, 0);
    run.join();
    ended.code = code;
    return ended;
}

TEST(StartUp, WithoutSafeDllSearchOnlyTheMessageNamingTheUpdateShows) {
    // user32 stands in for a kernel32 without the call.
    const Ended ended = RunProgramOnItsOwn(GetModuleHandleW(L"user32.dll"));
    EXPECT_EQ(ended.message,
              L"Quillmere needs the Windows update KB2533623, which lets a program load "
              L"system files only from the system folder. Install it from Windows Update, "
              L"then start Quillmere again.");
    EXPECT_EQ(ended.code, 1); // as the README lists it
    EXPECT_EQ(FindWindowW(L"QuillmereMain", nullptr), nullptr);
}

// A hook refuses every window of the program's own; Windows refuses them the same way when
// its desktop heap or the session's handles run out.
LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs;
        if (!IS_INTRESOURCE(create->lpszClass) &&
            std::wstring(create->lpszClass) == L"QuillmereMain")
            return 1;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(StartUp, WhenWindowsRefusesTheMainWindowTheProgramSaysSoAndEnds) {
    const Ended ended = RunProgramOnItsOwn(GetModuleHandleW(L"kernel32.dll"), [] {
        SetWindowsHookExW(WH_CBT, RefuseMainWindow, nullptr, GetCurrentThreadId());
    });
    EXPECT_EQ(ended.message, L"Quillmere could not open its window. Close some programs, then "
                             L"start Quillmere again.");
    EXPECT_EQ(ended.code, 2) << "still running, or ended as if all went well";
}

} // namespace
