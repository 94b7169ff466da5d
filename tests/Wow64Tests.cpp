// The i686 build as most users run it: a 32-bit process on 64-bit Windows, whose view of
// System32 and of HKLM\SOFTWARE is redirected.
#include "settings.h"
#include "Platform.h"
#include "TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

class Wow64 : public ::testing::Test {
  protected:
    // Never skipped where WOW64 is expected: a run that expects it and does not get it must
    // fail. The 32-bit Windows run, which RunMode holds to its mode, has none to offer.
    void SetUp() override {
        const char* run = std::getenv("QUILLMERE_RUN_MODE");
        if (run && std::string(run) == "win32") GTEST_SKIP() << "the 32-bit Windows run";
        ASSERT_EQ(ProcessMode(), "wow64") << "not a 32-bit process on 64-bit Windows";
    }
    void TearDown() override {
        for (const auto& path : made)
            DeleteFileW(path.c_str());
    }
    // "sysnative" reaches the real System32 from a 32-bit process, without the code under test.
    void Make(const std::wstring& path) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot create a file in the system folders";
        CloseHandle(h);
        made.push_back(path);
    }
    std::vector<std::wstring> made;
};

// The machine field of a PE file's header, as this thread sees the path.
WORD MachineOf(const wchar_t* path) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    IMAGE_DOS_HEADER dos{};
    DWORD got = 0;
    WORD machine = 0;
    if (ReadFile(h, &dos, sizeof dos, &got, nullptr) && got == sizeof dos &&
        SetFilePointer(h, dos.e_lfanew + 4, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER)
        ReadFile(h, &machine, sizeof machine, &got, nullptr);
    CloseHandle(h);
    return machine;
}

TEST_F(Wow64, ListsTheSystemFolderTheLogonScreenLoadsFrom) {
    ASSERT_EQ(SystemFolderPath(), L"C:\\windows\\system32");
    Make(L"C:\\windows\\sysnative\\qtnative.scr");
    Make(L"C:\\windows\\syswow64\\qtwow64.scr");
    const auto names = ListScreenSaverFiles();
    EXPECT_NE(std::find(names.begin(), names.end(), L"qtnative.scr"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), L"qtwow64.scr"), names.end());
}

TEST_F(Wow64, RedirectionIsBackOnAfterEveryListing) {
    ASSERT_EQ(MachineOf(L"C:\\windows\\system32\\kernel32.dll"), IMAGE_FILE_MACHINE_I386);
    ListScreenSaverFiles();
    EXPECT_EQ(MachineOf(L"C:\\windows\\system32\\kernel32.dll"), IMAGE_FILE_MACHINE_I386);
    ListScreenSaverFilesIn(L"C:\\no\\such\\folder"); // the early way out
    EXPECT_EQ(MachineOf(L"C:\\windows\\system32\\kernel32.dll"), IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(MachineOf(L"C:\\windows\\sysnative\\kernel32.dll"), IMAGE_FILE_MACHINE_AMD64);
}

std::wstring ReadView(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return L"<no key>";
    wchar_t text[MAX_PATH] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    const LONG status =
        RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? text : L"<absent>";
}

TEST_F(Wow64, RegistryReadsAndWritesMeetTheNativeViews) {
    // The key of the system root is redirected for a 32-bit process, but the system keeps both
    // copies the same: what the program reads is the native value.
    const std::wstring native =
        ReadView(WindowsVersionKey.root, WindowsVersionKey.path, L"SystemRoot", KEY_WOW64_64KEY);
    EXPECT_EQ(native, L"C:\\windows");
    EXPECT_EQ(SystemFolderPath(), native + L"\\system32");

    // The default user's settings are not redirected: a 64-bit reader sees what was written.
    const std::wstring desktop = LogonDesktopKey.path;
    KeyBackup backup(HKEY_USERS, desktop);
    ASSERT_TRUE(SetLogonScreenSaver(L"qtwritten.scr", 900));
    EXPECT_EQ(ReadView(HKEY_USERS, desktop, L"SCRNSAVE.EXE", KEY_WOW64_64KEY), L"qtwritten.scr");
    EXPECT_EQ(ReadView(HKEY_USERS, desktop, L"ScreenSaveActive", KEY_WOW64_64KEY), L"1");
    EXPECT_EQ(ReadView(HKEY_USERS, desktop, L"ScreenSaveTimeout", KEY_WOW64_64KEY), L"900");
}

} // namespace
