#include "GuiFixture.h"

#include "../Platform.h"
#include "frmMain.h"

#include <algorithm>

std::wstring GuiTest::InSystemFolder(const std::wstring& name) {
    return NativeSystemFolder() + L"\\" + name;
}

void GuiTest::SetUp() {
    // A test stopped half-way (a timeout, say) may have left the key locked.
    SetKeyDacl(HKEY_USERS, DesktopKey, AllowAllSddl);
    backup = std::make_unique<KeyBackup>(HKEY_USERS, DesktopKey);
    ResetDesktopKey();
}

void GuiTest::TearDown() {
    app.reset();
    for (const auto& name : planted)
        DeleteFileW(InSystemFolder(name).c_str());
    backup.reset();
}

void GuiTest::Plant(const std::wstring& name) {
    HANDLE h = CreateFileW(InSystemFolder(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    planted.push_back(name);
}

std::wstring GuiTest::ApplyRefused(const std::function<void(HWND box)>& inspect) {
    app->Press(app->Item(frmMain::IdApply));
    HWND box = app->WaitForMessageBox(10000);
    if (!box) {
        ADD_FAILURE() << "the refusal was not reported";
        return {};
    }
    const std::wstring text = MessageBoxText(box);
    if (inspect) inspect(box);
    CloseMessageBox(box);
    EXPECT_TRUE(WaitUntil([&] { return !app->FindWindowOf(L"#32770"); }));
    app->Settle();
    return text;
}

void GuiTest::PickName(const std::wstring& name) {
    const auto items = ComboItems(Combo1());
    const auto at = std::find(items.begin(), items.end(), name);
    ASSERT_NE(at, items.end()) << "not in the list";
    app->PickCombo(frmMain::IdCombo1, static_cast<int>(at - items.begin()));
}

bool GuiTest::ApplyEnabled() const {
    return IsWindowEnabled(app->Item(frmMain::IdApply)) != 0;
}
