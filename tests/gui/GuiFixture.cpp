#include "GuiFixture.h"

#include "frmMain.h"

namespace {
const std::wstring SystemFolder = L"C:\\windows\\system32\\";
}

void GuiTest::SetUp() {
    // A test stopped half-way (a timeout, say) may have left the key locked.
    SetKeyDacl(HKEY_USERS, DesktopKey, AllowAllSddl);
    backup = std::make_unique<KeyBackup>(HKEY_USERS, DesktopKey);
    RegDeleteKeyValueW(HKEY_USERS, DesktopKey.c_str(), L"SCRNSAVE.EXE");
    SetValue(L"ScreenSaveActive", L"0");
    SetValue(L"ScreenSaveTimeout", L"42");
}

void GuiTest::TearDown() {
    app.reset();
    for (const auto& name : planted)
        DeleteFileW((SystemFolder + name).c_str());
    backup.reset();
}

void GuiTest::Plant(const std::wstring& name) {
    HANDLE h = CreateFileW((SystemFolder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    planted.push_back(name);
}

bool GuiTest::ApplyEnabled() const {
    return IsWindowEnabled(app->Item(frmMain::IdApply)) != 0;
}
