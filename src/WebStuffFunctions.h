#pragma once

#include "win/DesktopShell.h"

#include <windows.h>

#include <string>

// Opens a web address (or any document) with the shell's default handler; a refusal is shown
// in an error message box, modal to `owner` (the window the request came from) while it is
// still there.
void OpenWebPage(const std::wstring& target, HWND owner = nullptr);

// Opens a new mail to address, with the feedback subject, in the default mail client; a refusal
// is shown as OpenWebPage shows it.
void SendFeedbackMail(const std::wstring& address, HWND owner = nullptr);

// "mailto:" + address + "?subject=Fenwarden: " + title, nothing escaped.
std::wstring FeedbackMailLink(const std::wstring& address);

// The shell's answer read as a signed 32-bit number: above 32 means launched.
bool ShellLaunchSucceeded(long long shellResult);

// How long the window waits for the shell to launch before it says the launch failed. The
// shell is asked on a thread of its own meanwhile, and a launch it makes later stands.
inline constexpr DWORD ShellAnswerBoundMs = 5000;

enum class LaunchOutcome {
    Launched,
    Refused,   // by the shell, or not answered in time: the failure message is due
    Abandoned, // the program was asked to quit meanwhile: nothing more is due
};
// What OpenWebPage does but the message: hands target to the shell, from this process or, when
// it is elevated, through `askDesktop` (OpenFromDesktop; tests give stand-ins), within
// ShellAnswerBoundMs, while this thread's messages run.
LaunchOutcome ShellLaunch(const std::wstring& target, DesktopAsker askDesktop = OpenFromDesktop);
