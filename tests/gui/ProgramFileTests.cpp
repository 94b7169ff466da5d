// The program file itself: its version stamp and manifest, read as data.
#include "Driver.h"
#include "ShippedExes.h"
#include "resource.h"

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
    // The version stamp; empty if it cannot be read.
    std::vector<BYTE> VersionInfo() const {
        const std::wstring exe = ExePath();
        std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
        if (info.empty() ||
            !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()))
            info.clear();
        return info;
    }
    static const VS_FIXEDFILEINFO* Fixed(const std::vector<BYTE>& info) {
        void* fixed = nullptr;
        UINT length = 0;
        return info.empty() || !VerQueryValueW(info.data(), L"\\", &fixed, &length)
                   ? nullptr
                   : static_cast<const VS_FIXEDFILEINFO*>(fixed);
    }
    std::string Manifest() const {
        const HMODULE exe = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        const HRSRC found =
            exe ? FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
        std::string manifest;
        if (found)
            manifest.assign(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                            SizeofResource(exe, found));
        if (exe) FreeLibrary(exe);
        return manifest;
    }
};

TEST_P(ProgramFile, CarriesItsVersionStamp) {
    const std::vector<BYTE> info = VersionInfo();
    const VS_FIXEDFILEINFO* fixed = Fixed(info);
    ASSERT_NE(fixed, nullptr);
    // The numbers of resource.h, the version's one source, and the text made of them: the major
    // number, ".", and the minor number as two digits ("1.02" for 1.2.x, "1.10" for 1.10.x).
    const DWORD high = MAKELONG(QUILLMERE_MINOR, QUILLMERE_MAJOR),
                low = MAKELONG(0, QUILLMERE_REVISION);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    const std::wstring minor = std::to_wstring(QUILLMERE_MINOR);
    const std::wstring text =
        std::to_wstring(QUILLMERE_MAJOR) + (minor.size() < 2 ? L".0" : L".") + minor;
    EXPECT_EQ(VersionString(info, L"FileVersion"), text);
    EXPECT_EQ(VersionString(info, L"ProductVersion"), text);
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Quillmere");
    EXPECT_EQ(VersionString(info, L"Comments"),
              L"Allows you to change the screen saver for the Welcome Screen");
}

// Both made from resources/resource.h when the build is configured.
TEST_P(ProgramFile, ManifestNamesTheVersionOfTheStamp) {
    const VS_FIXEDFILEINFO* fixed = Fixed(VersionInfo());
    ASSERT_NE(fixed, nullptr);
    const std::string stamp = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionLS));
    EXPECT_NE(Manifest().find("name=\"Quillmere\" version=\"" + stamp + "\""), std::string::npos)
        << "the manifest's assemblyIdentity does not say " << stamp;
}

TEST_P(ProgramFile, ManifestAsksForCommonControlsPerMonitorDpiElevationAndWindows7) {
    const std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty());
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
    const HMODULE exe = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(FindResourceW(exe, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    FreeLibrary(exe);
}

INSTANTIATE_TEST_SUITE_P(, ProgramFile, testing::ValuesIn(ShippedExes()), ShippedExeName);

} // namespace
