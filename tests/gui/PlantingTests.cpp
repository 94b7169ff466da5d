// A DLL planted beside the exe, or in the folder it is started in, must never be loaded,
// whichever library the program or the system loads late.
#include "Driver.h"

#include "frmAbout.h"

#include <gtest/gtest.h>

namespace {

const wchar_t Folder[] = L"C:\\quillmere-plant";
const wchar_t Mark[] = L"C:\\quillmere-planted.txt";
// Loaded after start-up: by the first window, the common controls, theming, and the shell.
// (What the exe imports, and their own imports, load before any of its code can run.)
const wchar_t* const Names[] = {L"uxtheme.dll",  L"msimg32.dll", L"shlwapi.dll",  L"shcore.dll",
                                L"comctl32.dll", L"ole32.dll",   L"oleaut32.dll", L"combase.dll",
                                L"rpcrt4.dll",   L"shell32.dll", L"dwmapi.dll"};

// Wine prefers its own built-in copy of a system DLL wherever a file of that name lies; a
// program started with these names set to "native first" looks for files as Windows does.
std::wstring NativeFirst() {
    std::wstring names;
    for (const wchar_t* name : Names) {
        names += names.empty() ? L"" : L",";
        names.append(name, wcslen(name) - 4);
    }
    return names + L"=n,b";
}

class Planting : public ::testing::Test {
  protected:
    void SetUp() override {
        TearDown();
        wchar_t old[1024] = {};
        GetEnvironmentVariableW(L"WINEDLLOVERRIDES", old, 1024);
        savedOverrides = old;
        SetEnvironmentVariableW(L"WINEDLLOVERRIDES",
                                (savedOverrides + L";" + NativeFirst()).c_str());
        CreateDirectoryW(Folder, nullptr);
        ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), Exe().c_str(), FALSE));
        for (const wchar_t* name : Names)
            ASSERT_TRUE(CopyFileW(WindowsPath(PLANTED_DLL).c_str(),
                                  (std::wstring(Folder) + L"\\" + name).c_str(), FALSE));
    }
    void TearDown() override {
        if (!savedOverrides.empty())
            SetEnvironmentVariableW(L"WINEDLLOVERRIDES", savedOverrides.c_str());
        DeleteFileW(Recorder().c_str());
        DeleteFileW(Exe().c_str());
        for (const wchar_t* name : Names)
            DeleteFileW((std::wstring(Folder) + L"\\" + name).c_str());
        RemoveDirectoryW(Folder);
        DeleteFileW(Mark);
    }
    static std::wstring Exe() { return std::wstring(Folder) + L"\\Quillmere.exe"; }
    static std::wstring Recorder() { return std::wstring(Folder) + L"\\recorder.exe"; }
    std::wstring savedOverrides;
    static bool Marked() { return GetFileAttributesW(Mark) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(Planting, AProgramThatSearchesItsOwnFolderTakesTheBait) {
    // The stand-in mail client imports the shell and searches as programs do by default.
    ASSERT_TRUE(CopyFileW(WindowsPath(LAUNCH_RECORDER_EXE).c_str(), Recorder().c_str(), FALSE));
    std::wstring commandLine = L"\"" + Recorder() + L"\" test";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(Recorder().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, Folder, &si, &pi));
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(Marked()) << "the planted DLL is not what it should be";
    DeleteFileW(L"C:\\quillmere-launch.txt");
}

TEST_F(Planting, PlantedDllsAreNeverLoaded) {
    {
        RunningApp app(Exe(), Folder);
        ASSERT_NE(app.main(), nullptr);
        app.OpenAbout();
        HWND about = app.WaitForWindow(L"QuillmereAbout");
        ASSERT_NE(about, nullptr);
        // A click loads the shell and what it needs; whether a mail client opens is not the point.
        HWND label = GetDlgItem(about, frmAbout::IdLabel5);
        PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostMessageW(label, WM_LBUTTONUP, 0, 0);
        if (HWND box = app.WaitForMessageBox(3000)) CloseMessageBox(box);
        app.Settle();
    }
    EXPECT_FALSE(Marked()) << "a planted DLL was loaded";
}

} // namespace
