// What the platform's conventions ask of both windows: the scheme's text colour, links that act
// on release, picks the control itself reports.
#include "GuiFixture.h"
#include "Launches.h"

#include "frmAbout.h"
#include "frmMain.h"

namespace {

const COLORREF SchemeText = RGB(128, 0, 0);

class Conventions : public GuiTest {
  protected:
    HWND OpenAbout() {
        HWND about = app->OpenAboutAndWait();
        app->Settle();
        return about;
    }
};

TEST_F(Conventions, LabelsWithoutADesignedColourDrawInTheSchemesTextColour) {
    const std::wstring colours = L"Control Panel\\Colors";
    ValueBackup saved(HKEY_CURRENT_USER, colours, L"ButtonText");
    PutString(HKEY_CURRENT_USER, colours, L"ButtonText", L"128 0 0"); // read at process start
    Start();
    const auto expectInk = [](HWND label, COLORREF ink, COLORREF never) {
        const auto seen = ColoursOn(label);
        EXPECT_TRUE(seen.count(ink)) << "not drawn in its colour: " << Text(label);
        EXPECT_FALSE(seen.count(never)) << "drawn in the wrong colour: " << Text(label);
    };
    for (int id : {frmMain::IdLabel1, frmMain::IdLabel2})
        expectInk(app->Item(id), SchemeText, RGB(0, 0, 0));

    const HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    for (int id : {frmAbout::IdVersion, frmAbout::IdLabel1, frmAbout::IdLabel2, frmAbout::IdLabel3})
        expectInk(GetDlgItem(about, id), SchemeText, RGB(0, 0, 0));
    for (int id : {frmAbout::IdTitle, frmAbout::IdDescription})
        expectInk(GetDlgItem(about, id), RGB(0, 0, 0), SchemeText);
    for (int id : {frmAbout::IdLabel4, frmAbout::IdLabel5})
        expectInk(GetDlgItem(about, id), RGB(0, 0, 255), SchemeText);
    SaveScreenshot(about, L"about-window-red-text-scheme");
}

TEST_F(Conventions, ALinkLaunchesOnlyWhenPressedAndReleasedOnIt) {
    LaunchHandlers launches;
    launches.HandleWithRecorder();
    Start();
    const HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    const HWND mail = GetDlgItem(about, frmAbout::IdLabel4);
    const HWND web = GetDlgItem(about, frmAbout::IdLabel5);
    // Released off the line, over the other line: the release reaches the pressed line, which
    // holds the mouse, at a point outside it.
    const RECT mailRect = RectInClient(mail, about), webRect = RectInClient(web, about);
    const LPARAM overWeb =
        MAKELPARAM(webRect.left - mailRect.left + 2, webRect.top - mailRect.top + 2);
    PostMessageW(mail, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(mail, WM_LBUTTONUP, 0, overWeb);
    app->Settle();
    EXPECT_FALSE(launches.Launched(1500)) << "launched on a press alone";

    Click(web); // press and release on it
    const auto launched = launches.Launched();
    ASSERT_TRUE(launched) << "a whole click launched nothing";
    EXPECT_EQ(launched->target, Text(web));
    EXPECT_FALSE(launches.Launched(1500)) << "launched more than once";
}

// Keys as the keyboard delivers them to the focused field: the list drops down, an arrow
// moves in it, Enter takes the entry. The combo box itself reports the pick.
TEST_F(Conventions, AKeyboardPickEnablesApplyAndApplyWritesThePickedName) {
    Plant(L"qtkeyboard.scr");
    Start();
    const HWND edit = ComboEdit(Combo1());
    ASSERT_EQ(app->Focus(), edit);
    ASSERT_FALSE(ApplyEnabled());
    PostMessageW(edit, WM_SYSKEYDOWN, VK_DOWN, 0x20000001); // Alt+Down
    PostMessageW(edit, WM_SYSKEYUP, VK_DOWN, 0xE0000001);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(Combo1(), CB_GETDROPPEDSTATE, 0, 0) != 0; }))
        << "the list did not drop down";
    const auto items = ComboItems(Combo1());
    const int target =
        static_cast<int>(std::find(items.begin(), items.end(), L"qtkeyboard.scr") - items.begin());
    for (int i = 0; i <= target; ++i) // the first Down selects the first entry
        app->Key(edit, VK_DOWN);
    app->Key(edit, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return ApplyEnabled(); })) << "the pick was not reported";
    EXPECT_EQ(Text(Combo1()), L"qtkeyboard.scr");
    app->Press(Apply());
    ASSERT_TRUE(WaitUntil([&] { return !ApplyEnabled(); }));
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"qtkeyboard.scr");
}

} // namespace
