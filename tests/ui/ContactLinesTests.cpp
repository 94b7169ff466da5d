// The About window's contact lines as the keyboard's dialog manager and a screen reader meet
// them, checked from inside: what they ask of the dialog manager, what a screen reader is told,
// and what their default action does.
#include "../gui/Driver.h"
#include "../gui/Launches.h"
#include "InProcess.h"
#include "AppInfo.h"
#include "WebStuffFunctions.h"
#include "frmAbout.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

namespace {

VARIANT Self() {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// The accessible object that a screen reader gets for a window; released with the object.
class Accessible {
  public:
    explicit Accessible(HWND window) {
        AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&object_));
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;
    ~Accessible() {
        if (object_) object_->Release();
    }
    IAccessible* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    LONG Role() const {
        VARIANT role{};
        return SUCCEEDED(object_->get_accRole(Self(), &role)) && role.vt == VT_I4 ? role.lVal : -1;
    }
    LONG State() const {
        VARIANT state{};
        return SUCCEEDED(object_->get_accState(Self(), &state)) && state.vt == VT_I4 ? state.lVal
                                                                                     : 0;
    }
    std::wstring Name() const {
        BSTR text = nullptr;
        object_->get_accName(Self(), &text);
        std::wstring name = text ? text : L"";
        SysFreeString(text);
        return name;
    }

  private:
    IAccessible* object_ = nullptr;
};

BOOL CALLBACK AddIfMessageBox(HWND window, LPARAM boxes) {
    if (IsWindowVisible(window) && ClassOf(window) == L"#32770")
        reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(window);
    return TRUE;
}

std::vector<HWND> MessageBoxesOfThisThread() {
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), AddIfMessageBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

// Runs `start`, and `during` once from inside the first message box that this thread shows;
// half a second later closes every box. Returns the most boxes that were up at once.
struct WhileMessageUp {
    std::function<void()> during;
    ULONGLONG ranAt = 0;
    size_t most = 0;
    bool closed = false;
};
WhileMessageUp* whileUp = nullptr;

void CALLBACK WhileUpTick(HWND, UINT, UINT_PTR, DWORD) {
    const auto boxes = MessageBoxesOfThisThread();
    whileUp->most = std::max(whileUp->most, boxes.size());
    if (boxes.empty()) {
        whileUp->closed = whileUp->ranAt != 0;
    } else if (!whileUp->ranAt) {
        whileUp->ranAt = GetTickCount64();
        whileUp->during();
    } else if (GetTickCount64() - whileUp->ranAt > 500) {
        for (HWND box : boxes)
            PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

size_t MostMessageBoxes(const std::function<void()>& start, const std::function<void()>& during) {
    WhileMessageUp state{during};
    whileUp = &state;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, WhileUpTick);
    start();
    WaitUntil([&] {
        Pump();
        return state.closed;
    });
    KillTimer(nullptr, timer);
    whileUp = nullptr;
    return state.most;
}

// A window of another thread in front, as another program's would be: this thread then has no
// active window.
class WindowInFront {
  public:
    WindowInFront() : thread_([this] { Run(); }) {
        WaitUntil([&] { return window_.load() != nullptr; });
    }
    WindowInFront(const WindowInFront&) = delete;
    WindowInFront& operator=(const WindowInFront&) = delete;
    ~WindowInFront() {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }

  private:
    void Run() {
        const HWND window = CreateWindowExW(0, L"STATIC", L"in front", WS_POPUP | WS_VISIBLE, 0, 0,
                                            200, 100, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(window);
        window_ = window;
        MSG msg;
        while (IsWindow(window) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_CLOSE && msg.hwnd == window)
                DestroyWindow(window);
            else
                DispatchMessageW(&msg);
        }
    }
    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

class ContactLines : public InProcess {
  protected:
    void SetUp() override {
        InProcess::SetUp();
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        about.Load(main);
        about.Show();
        mail = GetDlgItem(about.hwnd(), frmAbout::IdLabel4);
        web = GetDlgItem(about.hwnd(), frmAbout::IdLabel5);
    }
    void TearDown() override {
        about.Unload();
        CoUninitialize();
        InProcess::TearDown();
    }
    frmAbout about;
    HWND mail = nullptr, web = nullptr;
};

// Links named by their text, focusable, and focused while they have the focus; the other lines
// plain text.
TEST_F(ContactLines, AreLinksToAScreenReader) {
    for (HWND line : {mail, web}) {
        Accessible link(line);
        ASSERT_TRUE(link);
        EXPECT_EQ(link.Role(), ROLE_SYSTEM_LINK);
        EXPECT_EQ(link.Name(), Text(line));
        EXPECT_EQ(link.State() & (STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE),
                  STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE);
        SetFocus(line);
        ASSERT_EQ(GetFocus(), line);
        EXPECT_TRUE(link.State() & STATE_SYSTEM_FOCUSED);
        SetFocus(GetDlgItem(about.hwnd(), IDOK));
        EXPECT_FALSE(link.State() & STATE_SYSTEM_FOCUSED);
        // A late-bound caller is never told the label's role instead of the link's.
        VARIANT self = Self(), role{};
        DISPPARAMS args{&self, nullptr, 1, 0};
        const HRESULT lateBound = link->Invoke(DISPID_ACC_ROLE, IID_NULL, 0, DISPATCH_PROPERTYGET,
                                               &args, &role, nullptr, nullptr);
        if (SUCCEEDED(lateBound)) {
            EXPECT_EQ(role.lVal, ROLE_SYSTEM_LINK);
        }
    }
    Accessible plain(GetDlgItem(about.hwnd(), frmAbout::IdLabel1));
    EXPECT_NE(plain.Role(), ROLE_SYSTEM_LINK);
}

// Enter and Space, as key presses and as the characters they make, go to the focused line: the
// dialog manager neither presses the default button nor beeps at a character it cannot place.
TEST_F(ContactLines, TakeEnterAndSpaceFromTheDialogManager) {
    for (UINT message : {WM_KEYDOWN, WM_CHAR})
        for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_SPACE}}) {
            MSG msg{mail, message, key, 1, 0, {}};
            EXPECT_TRUE(SendMessageW(mail, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg)) &
                        DLGC_WANTMESSAGE)
                << message << " " << key;
        }
}

WNDPROC linkProc = nullptr;
LRESULT CALLBACK KeyboardCuesHidden(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_QUERYUISTATE) return UISF_HIDEFOCUS | UISF_HIDEACCEL;
    return CallWindowProcW(linkProc, hwnd, msg, wp, lp);
}

// The focused line shows a focus rectangle, but only while its window shows keyboard cues,
// which Windows hides until the keyboard is used. Wine keeps no such state, so the line is told
// it here, as Windows would answer it.
TEST_F(ContactLines, ShowTheFocusOnlyWithKeyboardCues) {
    const auto settled = [&](auto condition) {
        return WaitUntil([&] {
            Pump();
            return condition();
        });
    };
    ASSERT_TRUE(settled([&] { return ColoursOn(mail).count(RGB(0, 0, 255)) != 0; }));
    const auto atRest = ColoursOn(mail);
    SetFocus(mail);
    ASSERT_EQ(GetFocus(), mail);
    EXPECT_TRUE(settled([&] { return ColoursOn(mail) != atRest; })) << "no focus shown";
    linkProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(mail, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeyboardCuesHidden)));
    InvalidateRect(mail, nullptr, TRUE);
    EXPECT_TRUE(settled([&] { return ColoursOn(mail) == atRest; })) << "focus shown, cues hidden";
    SetWindowLongPtrW(mail, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(linkProc));
}

// The default action opens the line as a click does: once, even when asked twice at once; not
// while a failure message is up, which is modal to the About window though another program is in
// front, as it may be when a screen reader asks; and once the window is gone, the object says
// it is no longer connected.
TEST_F(ContactLines, DefaultActionOpensTheLineAsAClickDoes) {
    const WindowInFront other;
    ASSERT_TRUE(WaitUntil([] {
        Pump();
        return GetActiveWindow() == nullptr;
    })) << "no other window came in front";
    LaunchHandlers launches;
    launches.Handle(L"mailto", WindowsPath(LAUNCH_RECORDER_EXE));
    launches.Handle(L"https", L"C:\\no\\such\\browser.exe");
    Accessible mailLink(mail), webLink(web);
    ASSERT_TRUE(mailLink && webLink);

    // Back to back, both before the window handles the first: one launch.
    EXPECT_EQ(mailLink->accDoDefaultAction(Self()), S_OK);
    EXPECT_EQ(mailLink->accDoDefaultAction(Self()), S_OK);
    Pump();
    const auto launched = launches.Launched();
    ASSERT_TRUE(launched) << "the default action opened nothing";
    EXPECT_EQ(launched->target, L"mailto:" + Text(mail) + L"?subject=Fenwarden: Quillmere");
    EXPECT_FALSE(launches.Launched(1500)) << "opened more than once";

    HRESULT webWhileUp = S_OK, mailWhileUp = S_OK;
    HWND owner = nullptr;
    BOOL aboutEnabled = TRUE;
    const size_t boxes = MostMessageBoxes(
        [&] {
            EXPECT_EQ(webLink->accDoDefaultAction(Self()), S_OK);
            EXPECT_EQ(webLink->accDoDefaultAction(Self()), S_OK);
        },
        [&] {
            owner = GetWindow(MessageBoxesOfThisThread().at(0), GW_OWNER);
            aboutEnabled = IsWindowEnabled(about.hwnd());
            webWhileUp = webLink->accDoDefaultAction(Self());
            mailWhileUp = mailLink->accDoDefaultAction(Self());
        });
    EXPECT_EQ(owner, about.hwnd()) << "the failure message is not modal to the About window";
    EXPECT_FALSE(aboutEnabled);
    EXPECT_EQ(boxes, 1u) << "a second failure message stacked on the first";
    EXPECT_TRUE(FAILED(webWhileUp));
    EXPECT_TRUE(FAILED(mailWhileUp));
    EXPECT_FALSE(launches.Launched(1500)) << "opened under the failure message";

    about.Unload();
    for (const Accessible* gone : {&mailLink, &webLink}) {
        VARIANT role{}, state{};
        EXPECT_EQ((*gone)->accDoDefaultAction(Self()), CO_E_OBJNOTCONNECTED);
        EXPECT_EQ((*gone)->get_accRole(Self(), &role), CO_E_OBJNOTCONNECTED);
        EXPECT_EQ((*gone)->get_accState(Self(), &state), CO_E_OBJNOTCONNECTED);
    }
}

// However long after the last launch, a key opens the focused line: here Enter, as the keyboard
// delivers it, stamped 25 days on (past half the range of the tick count the stamps wrap in).
TEST_F(ContactLines, AKeyAfterALongIdleStillOpensTheLine) {
    LaunchHandlers launches;
    launches.HandleWithRecorder();
    SetForegroundWindow(about.hwnd());
    SetFocus(mail);
    ASSERT_EQ(GetFocus(), mail);
    SendMessageW(mail, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(launches.Launched()) << "Enter opened nothing";

    const DWORD later = GetTickCount() + 25u * 24 * 60 * 60 * 1000;
    INPUT enter[2] = {};
    for (INPUT& key : enter) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = VK_RETURN;
        key.ki.time = later;
    }
    enter[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, enter, sizeof(INPUT)), 2u);
    MSG down{};
    ASSERT_TRUE(WaitUntil([&] {
        return PeekMessageW(&down, mail, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) != FALSE;
    })) << "the key did not arrive";
    EXPECT_EQ(down.time, later) << "not stamped as the keyboard was told";
    Pump();
    EXPECT_TRUE(launches.Launched()) << "dropped after a long idle";
}

// The desktop shell as a stand-in: it gives `answer` after `delayMs`.
struct StandIn {
    DesktopWalk answer;
    DWORD delayMs = 0;
};
StandIn standIn;
DesktopWalk StandInDesktop(const std::wstring&, const wchar_t*) {
    Sleep(standIn.delayMs);
    return standIn.answer;
}

// This process launches the target itself only where there is no desktop shell to ask; once
// there is one, a failure at any step and any answer of its ShellExecute but S_OK are refusals,
// and nothing is launched.
TEST_F(ContactLines, OnlyWithoutADesktopShellDoesTheProgramLaunchItself) {
    LaunchHandlers launches;
    launches.HandleWithRecorder();
    const struct {
        DesktopWalk answer;
        bool direct;
    } cases[] = {
        {{DesktopWalk::ShellWindows, REGDB_E_CLASSNOTREG}, true},
        {{DesktopWalk::FindDesktop, S_FALSE}, true},
        {{DesktopWalk::ShellWindows, HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)}, false},
        {{DesktopWalk::Reach, E_NOINTERFACE}, false},
        {{DesktopWalk::Execute, RPC_E_DISCONNECTED}, false},
        {{DesktopWalk::Execute, S_FALSE}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.answer.step << " " << std::hex << c.answer.result);
        standIn = {c.answer};
        EXPECT_EQ(ShellLaunch(WebSiteAddress, StandInDesktop),
                  c.direct ? LaunchOutcome::Launched : LaunchOutcome::Refused);
        const auto launched = launches.Launched(c.direct ? 10000 : 1500);
        ASSERT_EQ(launched.has_value(), c.direct);
        if (launched) {
            EXPECT_EQ(launched->target, WebSiteAddress);
            EXPECT_EQ(_wcsicmp(launched->parent.c_str(), L"ui_tests.exe"), 0) << launched->parent;
        }
    }
}

// A desktop shell that does not answer holds nothing: the windows go on (here, the About window
// closes on request), and after the bound the launch counts as refused; a quit ends the wait at
// once and is left for the program's loop.
TEST_F(ContactLines, ADesktopThatDoesNotAnswerIsGivenUpAfterTheBound) {
    standIn = {{DesktopWalk::Execute, S_OK}, ShellAnswerBoundMs + 2000};
    PostMessageW(about.hwnd(), WM_CLOSE, 0, 0);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(ShellLaunch(WebSiteAddress, StandInDesktop), LaunchOutcome::Refused);
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited + 50, ShellAnswerBoundMs); // tick counts are coarse
    EXPECT_LT(waited, ShellAnswerBoundMs + 1000);
    EXPECT_FALSE(about.IsLoaded()) << "the About window did not close meanwhile";

    PostQuitMessage(3);
    start = GetTickCount64();
    EXPECT_EQ(ShellLaunch(WebSiteAddress, StandInDesktop), LaunchOutcome::Abandoned);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

} // namespace
