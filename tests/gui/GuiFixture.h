#pragma once

#include "Driver.h"
#include "../TestRegistry.h"
#include "frmMain.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Screen savers planted in the prefix's system folder for the length of one test, with the
// logon desktop key saved before and put back after.
class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    void Plant(const std::wstring& name);
    // A name in the system folder that the program lists (the native one under WOW64).
    static std::wstring InSystemFolder(const std::wstring& name);
    void Start() { app = std::make_unique<RunningApp>(); }
    std::wstring Value(const wchar_t* name) { return ReadWide(HKEY_USERS, DesktopKey, name); }
    void SetValue(const wchar_t* name, const std::wstring& text) {
        PutString(HKEY_USERS, DesktopKey, name, text);
    }
    HWND Combo1() const { return app->Item(frmMain::IdCombo1); }
    HWND Combo2() const { return app->Item(frmMain::IdCombo2); }
    HWND Apply() const { return app->Item(frmMain::IdApply); }
    // Picks a screen saver by its name, as a pick from the list reports it.
    void PickName(const std::wstring& name);
    bool ApplyEnabled() const;
    // Presses Apply and expects it refused: lets `inspect` look at the message box, closes it
    // and returns its text (empty, and a failure, if none came).
    std::wstring ApplyRefused(const std::function<void(HWND box)>& inspect = nullptr);

    std::unique_ptr<KeyBackup> backup;
    std::vector<std::wstring> planted;
    std::unique_ptr<RunningApp> app;
};
