#pragma once

#include "Driver.h"
#include "../TestRegistry.h"

#include <gtest/gtest.h>

#include <memory>

inline const std::wstring DesktopKey = L".DEFAULT\\Control Panel\\Desktop";

// Screen savers planted in the prefix's system folder for the length of one test, with the
// logon desktop key saved before and put back after.
class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    void Plant(const std::wstring& name);
    void Start() { app = std::make_unique<RunningApp>(); }
    std::wstring Value(const wchar_t* name) { return ReadWide(HKEY_USERS, DesktopKey, name); }
    void SetValue(const wchar_t* name, const std::wstring& text) {
        PutString(HKEY_USERS, DesktopKey, name, text);
    }
    bool ApplyEnabled() const;

    std::unique_ptr<KeyBackup> backup;
    std::vector<std::wstring> planted;
    std::unique_ptr<RunningApp> app;
};
