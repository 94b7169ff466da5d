#include "GuiFixture.h"
#include "Layouts.h"
#include "Launches.h"

#include "AppInfo.h"
#include "WebStuffFunctions.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "resource.h"

namespace {

// "Version " and the numbers of resource.h, the version's one source.
const std::wstring ShownVersion = L"Version " + std::to_wstring(QUILLMERE_MAJOR) + L"." +
                                  std::to_wstring(QUILLMERE_MINOR) + L"." +
                                  std::to_wstring(QUILLMERE_REVISION);

class AboutWindow : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        launches = std::make_unique<LaunchHandlers>();
        Start();
    }
    void TearDown() override {
        GuiTest::TearDown();
        launches.reset();
    }
    void Handle(const wchar_t* scheme, const std::wstring& program) {
        launches->Handle(scheme, program);
    }
    std::optional<LaunchRecord> Launched(DWORD timeoutMs = 10000) {
        return launches->Launched(timeoutMs);
    }
    // Clicks a contact line of an elevated program, as every program started under Wine is,
    // and returns the launch once the desktop shell has made it.
    std::optional<LaunchRecord> ClickForTheDesktop(HWND label) {
        EXPECT_TRUE(DesktopAnswers()) << "no desktop shell to ask: a Wine session started on a "
                                         "finished prefix has one";
        Click(label);
        const auto launched = Launched();
        if (launched) {
            EXPECT_EQ(launched->folder, L"C:\\");
            EXPECT_EQ(launched->show, SW_SHOWNORMAL);
            EXPECT_EQ(_wcsicmp(launched->parent.c_str(), L"explorer.exe"), 0)
                << "started by " << launched->parent;
        }
        return launched;
    }
    HWND Open() {
        HWND about = app->OpenAboutAndWait();
        EXPECT_NE(about, nullptr) << "the About window did not open";
        return about;
    }
    bool Closed() {
        return WaitUntil([&] { return !app->FindWindowOf(L"QuillmereAbout"); });
    }
    std::unique_ptr<LaunchHandlers> launches;
};

TEST_F(AboutWindow, ShowsTitleVersionDescriptionAndContactsModally) {
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(Text(about), L"About Quillmere");
    EXPECT_EQ(GetWindow(about, GW_OWNER), app->main());
    EXPECT_FALSE(IsWindowEnabled(app->main()));
    const LONG style = GetWindowLongW(about, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    RECT client, self, owner;
    GetClientRect(about, &client);
    EXPECT_NEAR(client.right, PxX(5460), 1);
    EXPECT_NEAR(client.bottom, PxY(3120), 1);
    GetWindowRect(about, &self);
    GetWindowRect(app->main(), &owner);
    EXPECT_NEAR(self.left + self.right, owner.left + owner.right, 3);
    EXPECT_NEAR(self.top + self.bottom, owner.top + owner.bottom, 3);

    for (const TwipsRect& t : AboutLayout)
        ExpectAtTwips(about, t);
    const RECT icon = RectInClient(GetDlgItem(about, frmAbout::IdIcon), about);

    EXPECT_EQ(Text(GetDlgItem(about, IDOK)), L"OK");
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdTitle)), L"Quillmere");
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdVersion)), ShownVersion);
    const std::wstring description = Text(GetDlgItem(about, frmAbout::IdDescription));
    EXPECT_EQ(description.size(), 256u);
    EXPECT_EQ(description,
              L"This utility allows you to quickly and easily change the Screen Saver that is "
              L"used when the Welcome Screen is showing.  You must have Administrator level "
              L"privileges to use this utility. Only SCR files in the Windows\\System32 folder "
              L"are provided as options.");
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdLabel1)), L"Feedback:");
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdLabel2)), L"Website:");
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdLabel3)), CopyrightLine);
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdLabel4)), FeedbackAddress);
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdLabel5)), WebSiteAddress);
    EXPECT_EQ(app->Focus(), GetDlgItem(about, IDOK));

    // The etched rule and the icon box, read off the screen.
    HDC screen = GetDC(nullptr);
    POINT origin{0, 0};
    ClientToScreen(about, &origin);
    const int x = origin.x + PxX(2000);
    EXPECT_EQ(GetPixel(screen, x, origin.y + PxY(2190)), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(screen, x, origin.y + PxY(2205)), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(screen, x, origin.y + PxY(2205) + 1), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(screen, origin.x + icon.left + 3, origin.y + icon.top + 3),
              RGB(192, 192, 192));
    ReleaseDC(nullptr, screen);
    SaveScreenshot(about, L"about-window");
}

TEST_F(AboutWindow, OkEnterEscapeAndCloseBoxCloseItAndReopenRebuildsIt) {
    const auto closeWith = [&](const std::function<void(HWND)>& action) {
        HWND about = Open();
        ASSERT_NE(about, nullptr);
        SetWindowTextW(GetDlgItem(about, frmAbout::IdVersion), L"stale");
        action(about);
        EXPECT_TRUE(Closed());
        app->Settle();
        EXPECT_TRUE(IsWindowEnabled(app->main()));
        EXPECT_EQ(WaitForSingleObject(app->process(), 0), WAIT_TIMEOUT);
    };
    closeWith([&](HWND about) { app->Press(GetDlgItem(about, IDOK)); });
    closeWith([&](HWND about) { app->Key(GetDlgItem(about, IDOK), VK_RETURN); });
    closeWith([&](HWND about) { app->Key(GetDlgItem(about, IDOK), VK_ESCAPE); });
    closeWith([&](HWND about) { PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0); });
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdVersion)), ShownVersion);
    EXPECT_EQ(Text(GetDlgItem(about, frmAbout::IdTitle)), L"Quillmere");
}

TEST_F(AboutWindow, FeedbackLineOpensTheMailClientWithTheShownAddress) {
    Handle(L"mailto", WindowsPath(LAUNCH_RECORDER_EXE));
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    HWND label = GetDlgItem(about, frmAbout::IdLabel4);
    const auto launched = ClickForTheDesktop(label);
    ASSERT_TRUE(launched) << "the mail client was not started";
    EXPECT_EQ(launched->target, L"mailto:" + Text(label) + L"?subject=Fenwarden: Quillmere");
    EXPECT_TRUE(app->FindWindowOf(L"QuillmereAbout"));
    EXPECT_FALSE(app->FindWindowOf(L"#32770"));
}

TEST_F(AboutWindow, WebLineOpensTheBrowserWithTheShownAddress) {
    Handle(L"https", WindowsPath(LAUNCH_RECORDER_EXE));
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    HWND label = GetDlgItem(about, frmAbout::IdLabel5);
    const auto launched = ClickForTheDesktop(label);
    ASSERT_TRUE(launched) << "the browser was not started";
    EXPECT_EQ(launched->target, Text(label));
    EXPECT_TRUE(app->FindWindowOf(L"QuillmereAbout"));
}

// Not elevated (here: started with the linked Limited token), the program starts the browser
// itself, as the shell would with the same rights.
TEST_F(AboutWindow, AProgramThatIsNotElevatedLaunchesDirectly) {
    Handle(L"https", WindowsPath(LAUNCH_RECORDER_EXE));
    app.reset();
    const HANDLE limited = LinkedLimitedToken();
    ASSERT_NE(limited, nullptr);
    app = std::make_unique<RunningApp>(limited);
    CloseHandle(limited);
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    Click(GetDlgItem(about, frmAbout::IdLabel5));
    const auto launched = Launched();
    ASSERT_TRUE(launched) << "the browser was not started";
    EXPECT_EQ(launched->target, WebSiteAddress);
    EXPECT_EQ(launched->folder, L"C:\\");
    EXPECT_EQ(launched->show, SW_SHOWNORMAL);
    EXPECT_EQ(_wcsicmp(launched->parent.c_str(), L"Quillmere.exe"), 0)
        << "started by " << launched->parent;
}

TEST_F(AboutWindow, RefusedLaunchesShowTheirMessageAndKeepTheWindow) {
    Handle(L"mailto", L"C:\\no\\such\\mailer.exe");
    Handle(L"https", L"C:\\no\\such\\browser.exe");
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    const struct {
        int label;
        const wchar_t* message;
    } cases[] = {
        {frmAbout::IdLabel4, L"Error sending mail. Make sure that you have your email client  "
                             L"correctly installed and configured"},
        {frmAbout::IdLabel5, L"Error lauching web browser. Make sure that your web browser is "
                             L"correctly installed and configured"},
    };
    for (const auto& c : cases) {
        Click(GetDlgItem(about, c.label));
        HWND box = app->WaitForMessageBox(10000);
        ASSERT_NE(box, nullptr) << c.label;
        EXPECT_EQ(Text(box), L"Quillmere");
        EXPECT_EQ(MessageBoxText(box), c.message);
        EXPECT_EQ(GetWindow(box, GW_OWNER), about);
        SaveScreenshot(box, c.label == frmAbout::IdLabel4 ? L"mail-refused" : L"web-refused");
        CloseMessageBox(box);
        ASSERT_TRUE(WaitUntil([&] { return !app->FindWindowOf(L"#32770"); }));
        EXPECT_TRUE(IsWindowVisible(about));
        EXPECT_TRUE(IsWindowEnabled(about));
    }
}

// Keys as the keyboard delivers them: Tab reaches the contact lines after OK, Enter or Space
// launches the focused one exactly as a click does, once however long it is held, and the
// focused one shows it.
TEST_F(AboutWindow, TabReachesTheContactLinesAndEnterOrSpaceLaunchesThem) {
    Handle(L"mailto", WindowsPath(LAUNCH_RECORDER_EXE));
    Handle(L"https", L"C:\\no\\such\\browser.exe");
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    const HWND mail = GetDlgItem(about, frmAbout::IdLabel4);
    const HWND web = GetDlgItem(about, frmAbout::IdLabel5);
    const auto drawn = [](HWND line) { return ColoursOn(line).count(RGB(0, 0, 255)) != 0; };
    ASSERT_TRUE(WaitUntil([&] { return drawn(mail) && drawn(web); }));
    const auto mailAtRest = ColoursOn(mail), webAtRest = ColoursOn(web);
    const auto tabTo = [&](HWND next) {
        app->Key(app->Focus(), VK_TAB);
        return WaitUntil([&] { return app->Focus() == next; });
    };
    // Enter and Space typed as characters to the focused line: neither acts again.
    const auto typeEnterAndSpace = [&](HWND line) {
        PostMessageW(line, WM_CHAR, L'\r', 1);
        PostMessageW(line, WM_CHAR, L' ', 1);
    };

    ASSERT_TRUE(tabTo(mail)) << "Tab did not reach the mail line";
    EXPECT_TRUE(WaitUntil([&] { return ColoursOn(mail) != mailAtRest; })) << "no focus shown";
    app->Key(mail, VK_RETURN, 5);
    const auto launched = Launched();
    ASSERT_TRUE(launched) << "Enter launched nothing";
    EXPECT_EQ(launched->target, L"mailto:" + Text(mail) + L"?subject=Fenwarden: Quillmere");
    typeEnterAndSpace(mail);
    EXPECT_FALSE(Launched(1500)) << "launched more than once";
    EXPECT_TRUE(app->FindWindowOf(L"QuillmereAbout")) << "Enter pressed OK as well";

    ASSERT_TRUE(tabTo(web)) << "Tab did not reach the web line";
    EXPECT_TRUE(WaitUntil([&] { return ColoursOn(web) != webAtRest; })) << "no focus shown";
    app->Key(web, VK_SPACE, 5);
    HWND box = app->WaitForMessageBox(10000);
    ASSERT_NE(box, nullptr) << "Space launched nothing";
    EXPECT_EQ(MessageBoxText(box), L"Error lauching web browser. Make sure that your web browser "
                                   L"is correctly installed and configured");
    CloseMessageBox(box);
    ASSERT_TRUE(WaitUntil([&] { return !app->FindWindowOf(L"#32770"); }));
    typeEnterAndSpace(web);
    EXPECT_EQ(app->WaitForMessageBox(1500), nullptr) << "launched more than once";

    EXPECT_TRUE(tabTo(GetDlgItem(about, IDOK))) << "Tab did not come back to OK";
    EXPECT_TRUE(WaitUntil([&] { return ColoursOn(mail) == mailAtRest; })) << "focus left shown";
    EXPECT_TRUE(WaitUntil([&] { return ColoursOn(web) == webAtRest; })) << "focus left shown";
}

// A desktop shell that does not answer holds nothing. Meanwhile the window answers, a second
// request (sent from another thread) does nothing, and the window closes on request; after the
// bound the failure message shows, owned by nothing once the window is gone, and what the shell
// launches once it answers is the one launch; a click after that launches again. And with the
// shell held again, Exit ends the program at once.
TEST_F(AboutWindow, ADesktopThatDoesNotAnswerHoldsNothing) {
    Handle(L"https", WindowsPath(LAUNCH_RECORDER_EXE));
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    HWND web = GetDlgItem(about, frmAbout::IdLabel5);
    {
        const DesktopHeld held;
        ASSERT_TRUE(held.holds());
        const ULONGLONG clicked = GetTickCount64();
        Click(web);
        Sleep(500);
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutW(about, WM_COMMAND,
                                        MAKEWPARAM(frmAbout::IdLabel5, STN_CLICKED),
                                        reinterpret_cast<LPARAM>(web), SMTO_NORMAL, 1000, &answer))
            << "the window does not answer while the desktop is asked";
        EXPECT_TRUE(SendMessageTimeoutW(about, WM_CLOSE, 0, 0, SMTO_NORMAL, 1000, &answer));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 1000)) << "not closed at once";
        const HWND box = app->WaitForMessageBox(ShellAnswerBoundMs + 2000);
        ASSERT_NE(box, nullptr) << "no failure message after the bound";
        EXPECT_GE(GetTickCount64() - clicked + 100, ShellAnswerBoundMs) << "not given its time";
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        EXPECT_EQ(MessageBoxText(box), L"Error lauching web browser. Make sure that your web "
                                       L"browser is correctly installed and configured");
        CloseMessageBox(box);
    }
    const auto late = Launched();
    ASSERT_TRUE(late) << "the shell did not launch once it answered";
    EXPECT_EQ(_wcsicmp(late->parent.c_str(), L"explorer.exe"), 0) << late->parent;
    EXPECT_FALSE(Launched(1500)) << "launched more than once";
    about = Open();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(ClickForTheDesktop(GetDlgItem(about, frmAbout::IdLabel5)))
        << "a click after a refused launch launched nothing";

    const DesktopHeld held;
    Click(GetDlgItem(about, frmAbout::IdLabel5));
    Sleep(300);
    PostMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 1000)) << "not closed at once";
    PostMessageW(app->main(), WM_COMMAND, MAKEWPARAM(frmMain::IdFileExit, 0), 0);
    EXPECT_TRUE(app->WaitForExit(1000)) << "Exit did not end the program at once";
}

TEST_F(AboutWindow, OnlyTheAddressLinesLaunchAnything) {
    Handle(L"mailto", WindowsPath(LAUNCH_RECORDER_EXE));
    Handle(L"https", WindowsPath(LAUNCH_RECORDER_EXE));
    HWND about = Open();
    ASSERT_NE(about, nullptr);
    for (int id : {frmAbout::IdLabel1, frmAbout::IdLabel2, frmAbout::IdLabel3, frmAbout::IdTitle,
                   frmAbout::IdVersion, frmAbout::IdDescription, frmAbout::IdIcon})
        Click(GetDlgItem(about, id));
    EXPECT_FALSE(Launched(1500));
    EXPECT_FALSE(app->FindWindowOf(L"#32770"));
    EXPECT_TRUE(app->FindWindowOf(L"QuillmereAbout"));
}

} // namespace
