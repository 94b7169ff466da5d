// The program file itself: its version stamp and manifest, read as data.
#include "Driver.h"
#include "ShippedExes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length)) return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

class ProgramFile : public testing::TestWithParam<ShippedExe> {
  protected:
    std::wstring ExePath() const { return WindowsPath(GetParam().path); }
};

TEST_P(ProgramFile, CarriesItsVersionStamp) {
    const std::wstring exe = ExePath();
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(2, 1)));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(MAKELONG(2, 1)));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(VersionString(info, L"FileVersion"), L"1.02");
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Quillmere");
    EXPECT_EQ(VersionString(info, L"Comments"),
              L"Allows you to change the screen saver for the Welcome Screen");
}

TEST_P(ProgramFile, ManifestAsksForCommonControlsPerMonitorDpiElevationAndWindows7) {
    const HMODULE exe = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    const HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                               SizeofResource(exe, found));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    // Per-monitor v2 where Windows has it, system aware before; never per-monitor v1, under
    // which the caption and the menu bar would not scale.
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAwareness "
                            "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                            "PerMonitorV2, System</dpiAwareness>"),
              std::string::npos);
    EXPECT_EQ(manifest.find("true/pm"), std::string::npos);
    EXPECT_NE(manifest.find("level=\"highestAvailable\""), std::string::npos);
    // Supported systems: Windows 7 and later, not Vista.
    EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);
    EXPECT_EQ(manifest.find("{e2011457-1546-43c5-a5fe-008deee3d3f0}"), std::string::npos);
    EXPECT_NE(FindResourceW(exe, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    FreeLibrary(exe);
}

INSTANTIATE_TEST_SUITE_P(, ProgramFile, testing::ValuesIn(ShippedExes()), ShippedExeName);

} // namespace
