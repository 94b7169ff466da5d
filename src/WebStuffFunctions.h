#pragma once

#include <windows.h>

#include <string>

// Opens a web address (or any document) with the shell's default handler; a refusal is shown
// in an error message box, modal to `owner` (the window the request came from).
void OpenWebPage(const std::wstring& target, HWND owner = nullptr);

// Opens a new mail to address, with the feedback subject, in the default mail client; a refusal
// is shown as OpenWebPage shows it.
void SendFeedbackMail(const std::wstring& address, HWND owner = nullptr);

// "mailto:" + address + "?subject=Fenwarden: " + title, nothing escaped.
std::wstring FeedbackMailLink(const std::wstring& address);

// The shell's answer read as a signed 32-bit number: above 32 means launched.
bool ShellLaunchSucceeded(long long shellResult);
