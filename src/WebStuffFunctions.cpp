#include "WebStuffFunctions.h"

#include "AnsiText.h"
#include "AppInfo.h"
#include "win/DesktopShell.h"
#include "win/SystemLibrary.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdint>

namespace {

const wchar_t WebFailure[] = L"Error lauching web browser. Make sure that your web browser is "
                             L"correctly installed and configured";
const wchar_t MailFailure[] = L"Error sending mail. Make sure that you have your email client  "
                              L"correctly installed and configured";

// The shell's own call, from this process: the launched program gets this process's rights.
bool LaunchDirectly(const std::string& file) {
    // The shell is loaded only when a contact line is clicked: most runs never need it, and
    // loading it at start-up costs more than the rest of the start-up together.
    static const auto shellExecuteA =
        SystemProc<decltype(&ShellExecuteA)>(L"shell32.dll", "ShellExecuteA");
    if (!shellExecuteA) return false;
    const HINSTANCE result =
        shellExecuteA(nullptr, nullptr, file.c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
    return ShellLaunchSucceeded(reinterpret_cast<INT_PTR>(result));
}

// Hands the target to the shell; a text the ANSI code page cannot carry counts as refused.
// Elevated, this process asks the desktop shell instead, so that the browser or mail client
// runs with the user's own rights, and starts it itself only when there is no desktop to ask.
bool Launch(const std::wstring& target) {
    const auto file = ToAnsi(target);
    if (!file) return false;
    EnterComApartmentOnce();
    if (ThisProcessRoute() == LaunchRoute::Desktop) {
        // The ANSI round trip gave back target exactly, so the desktop gets what the shell's
        // ANSI call would.
        switch (AnswerOf(OpenFromDesktop(target, L"C:\\"))) {
        case DesktopAnswer::Launched:
            return true;
        case DesktopAnswer::Refused:
            return false;
        case DesktopAnswer::Unavailable:
            break;
        }
    }
    return LaunchDirectly(*file);
}

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

void OpenWebPage(const std::wstring& target, HWND owner) {
    if (!Launch(target)) ShowFailure(owner, WebFailure);
}

void SendFeedbackMail(const std::wstring& address, HWND owner) {
    if (!Launch(FeedbackMailLink(address))) ShowFailure(owner, MailFailure);
}
