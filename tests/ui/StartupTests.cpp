// Start-up on a system that cannot keep DLL loads to the system folder (Windows 7 without
// update KB2533623): the program shows only the message naming the update, and ends.
#include "../gui/Driver.h"
#include "Module1.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(StartUp, WithoutSafeDllSearchOnlyTheMessageNamingTheUpdateShows) {
    // user32 stands in for a kernel32 without the call. Windows shows the message from the
    // system; Wine shows it in this process, where the test can read it.
    std::atomic<int> code{-1};
    std::thread run([&] { code = RunProgram(GetModuleHandleW(L"user32.dll")); });
    HWND box = nullptr;
    const bool shown = WaitUntil([&] {
        box = FindWindowW(L"#32770", L"Quillmere");
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        return box && pid == GetCurrentProcessId();
    });
    EXPECT_TRUE(shown) << "no message";
    if (shown) {
        EXPECT_EQ(MessageBoxText(box),
                  L"Quillmere needs the Windows update KB2533623, which lets a program load "
                  L"system files only from the system folder. Install it from Windows Update, "
                  L"then start Quillmere again.");
        EXPECT_EQ(FindWindowW(L"QuillmereMain", nullptr), nullptr) << "started all the same";
        CloseMessageBox(box);
    }
    run.join();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(FindWindowW(L"QuillmereMain", nullptr), nullptr);
}

} // namespace
