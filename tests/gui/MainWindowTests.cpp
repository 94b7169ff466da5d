#include "GuiFixture.h"
#include "Layouts.h"

#include "frmMain.h"

namespace {

class MainWindow : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        for (const wchar_t* name : {L"qtZephyr.scr", L"qtaurora.scr", L"QTBubbles.scr",
                                    L"qtUpper.SCR", L"qtnote.scr.txt"})
            Plant(name);
    }
    void PickTimeout(int index) { app->PickCombo(frmMain::IdCombo2, index); }
    // Apply, waiting until it has greyed out again.
    void ApplyAndWait() {
        ASSERT_TRUE(ApplyEnabled());
        app->Press(Apply());
        ASSERT_TRUE(WaitUntil([&] { return !ApplyEnabled(); })) << "Apply did not finish";
    }
};

TEST_F(MainWindow, OpensWithTheDesignedLayoutAndTexts) {
    Start();
    HWND main = app->main();
    EXPECT_EQ(Text(main), L"Quillmere");
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    RECT outer, client;
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    EXPECT_NEAR(outer.right - outer.left, PxX(4470), 1);
    EXPECT_GE(outer.bottom - outer.top, PxY(2520) - 1);
    // Centred on the screen.
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);

    for (const TwipsRect& t : MainLayout)
        ExpectAtTwips(main, t);
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT r = RectInClient(child, main);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << "outside the client area: " << Text(child);
    }

    EXPECT_EQ(Text(GetDlgItem(main, frmMain::IdLabel1)), L"Choose the Logon screen Screen Saver");
    EXPECT_EQ(Text(GetDlgItem(main, frmMain::IdLabel2)), L"Select the timeout value");
    EXPECT_EQ(Text(Apply()), L"&Apply");
    EXPECT_EQ(Text(GetDlgItem(main, frmMain::IdExit)), L"E&xit");
    EXPECT_FALSE(ApplyEnabled());

    // Sorted with letter case ignored, "(None)" first; only exact ".scr" names.
    EXPECT_EQ(ComboItems(Combo1()), (std::vector<std::wstring>{L"(None)", L"qtaurora.scr",
                                                               L"QTBubbles.scr", L"qtZephyr.scr"}));
    EXPECT_EQ(Text(Combo1()), L"(None)");
    EXPECT_EQ(ComboItems(Combo2()),
              (std::vector<std::wstring>{L"1 Min", L"2 Min", L"5 Min", L"10 Min", L"15 Min"}));
    EXPECT_EQ(Text(Combo2()), L"10 Min");
    EXPECT_EQ(ComboSelection(Combo2()), -1);
    EXPECT_EQ(app->Focus(), ComboEdit(Combo1()));
    // A screen reader names each chooser after the static text just before it in z-order.
    EXPECT_EQ(GetWindow(Combo1(), GW_HWNDPREV), GetDlgItem(main, frmMain::IdLabel1));
    EXPECT_EQ(GetWindow(Combo2(), GW_HWNDPREV), GetDlgItem(main, frmMain::IdLabel2));
    SaveScreenshot(main, L"main-window");
}

TEST_F(MainWindow, ShowsTheStoredSettingAsIs) {
    SetValue(L"SCRNSAVE.EXE", L"C:\\Elsewhere\\Custom.SCR");
    Start();
    EXPECT_EQ(Text(Combo1()), L"C:\\Elsewhere\\Custom.SCR");
    EXPECT_EQ(ComboSelection(Combo1()), -1);
    EXPECT_FALSE(ApplyEnabled());
}

TEST_F(MainWindow, PickingEnablesApplyAndTypingDoesNot) {
    Start();
    app->Type(frmMain::IdCombo1, L"typed.scr");
    app->Type(frmMain::IdCombo2, L"3");
    app->Settle();
    EXPECT_FALSE(ApplyEnabled());
    PickName(L"qtaurora.scr");
    EXPECT_TRUE(ApplyEnabled());
    ApplyAndWait();
    PickTimeout(0);
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(MainWindow, ApplyWritesPickedNameAndTimeout) {
    Start();
    PickName(L"QTBubbles.scr");
    PickTimeout(2);
    ApplyAndWait();
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"QTBubbles.scr");
    EXPECT_EQ(Value(L"ScreenSaveActive"), L"1");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"300");
}

TEST_F(MainWindow, ApplyingNoneClearsOnlyTheScreenSaver) {
    SetValue(L"SCRNSAVE.EXE", L"old.scr");
    Start();
    PickName(L"(None)");
    PickTimeout(4);
    ApplyAndWait();
    EXPECT_FALSE(ValueExists(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE"));
    EXPECT_EQ(Value(L"ScreenSaveActive"), L"0");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"42");
}

TEST_F(MainWindow, ApplyWithOnlyATimeoutPickedKeepsTheLoadedChoice) {
    SetValue(L"SCRNSAVE.EXE", L"loaded.scr");
    Start();
    PickTimeout(4);
    ApplyAndWait();
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"loaded.scr");
    EXPECT_EQ(Value(L"ScreenSaveActive"), L"1");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"900");

    // With "(None)" loaded, a timeout alone still clears and writes no timeout.
    RegDeleteKeyValueW(HKEY_USERS, DesktopKey.c_str(), L"SCRNSAVE.EXE");
    SetValue(L"ScreenSaveTimeout", L"42");
    app.reset();
    Start();
    PickTimeout(0);
    ApplyAndWait();
    EXPECT_FALSE(ValueExists(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE"));
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"42");
}

TEST_F(MainWindow, ApplyTakesTheFieldTextAsItStands) {
    Start();
    PickName(L"qtaurora.scr");
    PickTimeout(0);
    app->ReplaceText(frmMain::IdCombo1, L"edited.scr");
    ApplyAndWait();
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"edited.scr");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"60");

    PickName(L"qtaurora.scr");
    app->ReplaceText(frmMain::IdCombo1, L"(none)");
    ApplyAndWait();
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"(none)");
}

TEST_F(MainWindow, TimeoutWithoutAPickedEntry) {
    Start();
    // As loaded: the field reads "10 Min" but nothing is selected.
    PickName(L"qtaurora.scr");
    ApplyAndWait();
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"600");

    const struct {
        const wchar_t* typed;
        const wchar_t* stored;
    } cases[] = {{L" 15 min ", L"900"}, {L"7", L"420"},  {L"25 Min", L"1500"},
                 {L"soon", L"1500"},    {L"0", L"1500"}, {L"-5", L"1500"}};
    for (const auto& c : cases) {
        app->ReplaceText(frmMain::IdCombo2, c.typed);
        PickName(L"qtZephyr.scr");
        ApplyAndWait();
        EXPECT_EQ(Value(L"ScreenSaveTimeout"), c.stored) << c.typed;
        EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"qtZephyr.scr");
    }
    // A picked entry counts only while its caption still stands in the field.
    PickTimeout(1);
    app->ReplaceText(frmMain::IdCombo2, L"3 Min");
    ApplyAndWait();
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"180");
}

TEST_F(MainWindow, RefusedApplySaysSoAndKeepsApplyEnabled) {
    SetValue(L"SCRNSAVE.EXE", L"old.scr");
    SetKeyDacl(HKEY_USERS, DesktopKey, DenyWritesSddl);
    const KeySnapshot before = SnapshotKey(HKEY_USERS, DesktopKey);
    Start();
    PickName(L"qtaurora.scr");
    PickTimeout(2);
    const std::wstring message = ApplyRefused([](HWND box) {
        EXPECT_EQ(Text(box), L"Quillmere");
        SaveScreenshot(box, L"apply-refused");
    });
    EXPECT_NE(message.find(L"could not be saved"), std::wstring::npos);
    EXPECT_NE(message.find(L"Administrator"), std::wstring::npos);
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(SnapshotKey(HKEY_USERS, DesktopKey), before);
}

TEST_F(MainWindow, TabFollowsTheFocusOrder) {
    Start();
    HWND edit1 = ComboEdit(Combo1()), edit2 = ComboEdit(Combo2());
    HWND exitButton = app->Item(frmMain::IdExit);
    // Where the focus settles: a combo box passes it on to its text field.
    const auto tabFrom = [&](HWND from) {
        app->Key(from, VK_TAB);
        WaitUntil(
            [&] {
                const HWND focus = app->Focus();
                return focus != from && ClassOf(focus) != L"ComboBox";
            },
            2000);
        return app->Focus();
    };
    ASSERT_EQ(app->Focus(), edit1);
    EXPECT_EQ(tabFrom(edit1), exitButton); // Apply is disabled and skipped
    EXPECT_EQ(tabFrom(exitButton), edit2);
    EXPECT_EQ(tabFrom(edit2), edit1);
    PickName(L"qtaurora.scr");
    EXPECT_EQ(tabFrom(edit1), Apply());
    EXPECT_EQ(tabFrom(Apply()), exitButton);
}

TEST_F(MainWindow, EnterAndEscapeDoNothingHere) {
    Start();
    PickName(L"qtaurora.scr");
    app->Key(ComboEdit(Combo1()), VK_RETURN);
    app->Key(ComboEdit(Combo1()), VK_ESCAPE);
    EXPECT_FALSE(app->WaitForExit(500));
    app->Settle();
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_FALSE(ValueExists(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE"));
}

class Ending : public MainWindow, public ::testing::WithParamInterface<int> {};

TEST_P(Ending, ExitMenuAndCloseBoxEndTheProgramWithoutSaving) {
    Start();
    PickName(L"qtaurora.scr");
    const KeySnapshot before = SnapshotKey(HKEY_USERS, DesktopKey);
    switch (GetParam()) {
    case 0:
        app->Press(app->Item(frmMain::IdExit));
        break;
    case 1:
        PostMessageW(app->main(), WM_COMMAND, MAKEWPARAM(frmMain::IdFileExit, 0), 0);
        break;
    case 2:
        PostMessageW(app->main(), WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    ASSERT_TRUE(app->WaitForExit());
    DWORD code = 1;
    GetExitCodeProcess(app->process(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(SnapshotKey(HKEY_USERS, DesktopKey), before);
}

INSTANTIATE_TEST_SUITE_P(Ways, Ending, ::testing::Values(0, 1, 2));

} // namespace
