#pragma once

#include <windows.h>

#include <string>

// Who starts a program that this process opens. An administrator's process elevated through UAC
// asks the desktop shell, which runs with the user's own rights, so that a browser or mail client
// never inherits the administrator's; any other process starts it itself, with the same rights
// as the shell's.
enum class LaunchRoute { Direct, Desktop };
LaunchRoute RouteFor(TOKEN_ELEVATION_TYPE elevation);
LaunchRoute ThisProcessRoute();

// What the desktop shell's answer means for the caller.
enum class DesktopAnswer {
    Launched,    // S_OK
    Refused,     // the shell would not open it: no handler, or its program is missing
    Unavailable, // no desktop shell to ask (a replacement shell, some remote sessions)
};
DesktopAnswer AnswerOf(HRESULT result);

// Asks the desktop shell to open target with its default action, in folder, shown normally.
// Walks the chain from the desktop's window afresh on every call: a proxy kept across calls
// fails once the shell restarts. Call it on a single-threaded apartment's thread; COM pumps
// that thread's messages while it waits.
HRESULT OpenFromDesktop(const std::wstring& target, const wchar_t* folder);
