#pragma once

#include "Module1.h"
#include "win/Form.h"

#include <gtest/gtest.h>

#include <windows.h>

// Creates the main window through the real start-up, and runs the loop until it is gone.
class InProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        Main();
        main = FindWindowW(L"QuillmereMain", nullptr);
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        if (IsWindow(main)) {
            PostMessageW(main, WM_CLOSE, 0, 0);
            Form::RunMessageLoop();
        }
        EXPECT_TRUE(Form::LoadedForms().empty());
    }
    HWND main = nullptr;
};
