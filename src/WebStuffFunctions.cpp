#include "WebStuffFunctions.h"

#include "AnsiText.h"
#include "AppInfo.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdint>

namespace {

const wchar_t WebFailure[] = L"Error lauching web browser. Make sure that your web browser is "
                             L"correctly installed and configured";
const wchar_t MailFailure[] = L"Error sending mail. Make sure that you have your email client  "
                              L"correctly installed and configured";

using ShellExecuteAProc = decltype(&ShellExecuteA);

// The shell is loaded only when a contact line is clicked, from the system folder: most runs
// never need it, and loading it at start-up costs more than the rest of the start-up together.
ShellExecuteAProc ShellExecuteAFromSystem() {
    static const ShellExecuteAProc proc = []() -> ShellExecuteAProc {
        wchar_t path[MAX_PATH];
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length + 13 >= MAX_PATH) return nullptr;
        wcscpy(path + length, L"\\shell32.dll"); // a full path: no search, nothing planted
        const HMODULE shell = LoadLibraryW(path);
        if (!shell) return nullptr;
        return reinterpret_cast<ShellExecuteAProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(shell, "ShellExecuteA")));
    }();
    return proc;
}

// Hands the target to the shell; a text the ANSI code page cannot carry counts as refused.
bool Launch(const std::wstring& target) {
    const auto file = ToAnsi(target);
    const ShellExecuteAProc shellExecuteA = ShellExecuteAFromSystem();
    if (!file || !shellExecuteA) return false;
    const HINSTANCE result =
        shellExecuteA(nullptr, nullptr, file->c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
    return ShellLaunchSucceeded(reinterpret_cast<INT_PTR>(result));
}

void ShowFailure(const wchar_t* text) {
    // Owned by the active window (the About window), so it is modal to it.
    MessageBoxW(GetActiveWindow(), text, std::wstring(AppTitle).c_str(), MB_OK | MB_ICONERROR);
}

} // namespace

bool ShellLaunchSucceeded(long long shellResult) {
    return static_cast<std::int32_t>(shellResult) > 32;
}

std::wstring FeedbackMailLink(const std::wstring& address) {
    return L"mailto:" + address + L"?subject=Fenwarden: " + std::wstring(AppTitle);
}

void OpenWebPage(const std::wstring& target) {
    if (!Launch(target)) ShowFailure(WebFailure);
}

void SendFeedbackMail(const std::wstring& address) {
    if (!Launch(FeedbackMailLink(address))) ShowFailure(MailFailure);
}
