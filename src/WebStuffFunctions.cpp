#include "WebStuffFunctions.h"

#include "AnsiText.h"
#include "AppInfo.h"
#include "win/Background.h"
#include "win/SystemLibrary.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdint>

namespace {

const wchar_t WebFailure[] = L"Error lauching web browser. Make sure that your web browser is "
                             L"correctly installed and configured";
const wchar_t MailFailure[] = L"Error sending mail. Make sure that you have your email client  "
                              L"correctly installed and configured";

using ShellExecuteAProc = decltype(&ShellExecuteA);

// The shell is loaded only when a contact line is clicked: most runs never need it, and loading
// it at start-up costs more than the rest of the start-up together. First asked on the UI
// thread.
ShellExecuteAProc ShellExecuteCall() {
    static const auto call = SystemProc<ShellExecuteAProc>(L"shell32.dll", "ShellExecuteA");
    return call;
}

// The shell's own call, from this process: the launched program gets this process's rights.
bool LaunchDirectly(const std::string& file) {
    const ShellExecuteAProc shellExecuteA = ShellExecuteCall();
    if (!shellExecuteA) return false;
    const HINSTANCE result =
        shellExecuteA(nullptr, nullptr, file.c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
    return ShellLaunchSucceeded(reinterpret_cast<INT_PTR>(result));
}

// One launch, on a thread of its own. Elevated, this process asks the desktop shell, so that
// the browser or mail client runs with the user's own rights, and starts it itself only where
// there is no desktop shell to ask. Once one was asked, whatever it answers stands: it may have
// launched, or may still.
class LaunchWork final : public BackgroundWork {
  public:
    LaunchWork(const std::wstring& target, LaunchRoute route, DesktopAsker askDesktop)
        : target_(target), route_(route), askDesktop_(askDesktop) {}
    void Run() override {
        if (route_ == LaunchRoute::Desktop) {
            // ShellLaunch checked that the ANSI code page carries target exactly, so the desktop
            // gets what the shell's ANSI call would.
            const DesktopAnswer answer = AnswerOf(askDesktop_(target_, L"C:\\"));
            if (answer != DesktopAnswer::Unavailable) {
                launched_ = answer == DesktopAnswer::Launched;
                return;
            }
        }
        const auto file = ToAnsi(target_);
        launched_ = file && LaunchDirectly(*file);
    }
    bool launched() const { return launched_; }

  private:
    const std::wstring target_;
    const LaunchRoute route_;
    const DesktopAsker askDesktop_;
    bool launched_ = false;
};

void ShowFailure(HWND owner, const wchar_t* text) {
    // Modal to the requesting window even when another program is in front, as it is when a
    // screen reader's default action asks: then this thread has no active window. That window
    // may have been closed while the desktop was asked.
    MessageBoxW(IsWindow(owner) ? owner : nullptr, text, AppTitle, MB_OK | MB_ICONERROR);
}

} // namespace

bool ShellLaunchSucceeded(long long shellResult) {
    return static_cast<std::int32_t>(shellResult) > 32;
}

std::wstring FeedbackMailLink(const std::wstring& address) {
    return L"mailto:" + address + L"?subject=Fenwarden: " + AppTitle;
}

LaunchOutcome ShellLaunch(const std::wstring& target, DesktopAsker askDesktop) {
    // A text the ANSI code page cannot carry counts as refused.
    if (!ToAnsi(target)) return LaunchOutcome::Refused;
    const LaunchRoute route = ThisProcessRoute();
    ShellExecuteCall(); // the worker's calls loaded here, on the UI thread
    if (route == LaunchRoute::Desktop && !DesktopCallsReady()) return LaunchOutcome::Refused;
    auto* work = new LaunchWork(target, route, askDesktop);
    const Form::Waited waited = RunInBackground(*work, ShellAnswerBoundMs);
    const bool launched = waited == Form::Waited::Signalled && work->launched();
    work->Release();
    if (waited == Form::Waited::Quit) return LaunchOutcome::Abandoned;
    return launched ? LaunchOutcome::Launched : LaunchOutcome::Refused;
}

void OpenWebPage(const std::wstring& target, HWND owner) {
    if (ShellLaunch(target) == LaunchOutcome::Refused) ShowFailure(owner, WebFailure);
}

void SendFeedbackMail(const std::wstring& address, HWND owner) {
    if (ShellLaunch(FeedbackMailLink(address)) == LaunchOutcome::Refused)
        ShowFailure(owner, MailFailure);
}
