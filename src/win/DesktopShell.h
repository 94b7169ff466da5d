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

// How far a walk to the desktop shell's ShellExecute came, and what the step it ended at gave.
struct DesktopWalk {
    enum Step {
        ShellWindows, // the desktop's list of windows, served by the desktop shell's process
        FindDesktop,  // the desktop's window in that list
        Reach,        // from that window to its Shell.Application object
        Execute,      // that object's ShellExecute
    } step;
    HRESULT result;
};

// What the desktop shell's answer means for the caller.
enum class DesktopAnswer {
    Launched,    // S_OK from its ShellExecute
    Refused,     // anything else, once there is a desktop shell to ask
    Unavailable, // no desktop shell to ask (a replacement shell, some remote sessions)
};
DesktopAnswer AnswerOf(const DesktopWalk& walk);

// Asks the desktop shell to open target with its default action, in folder, shown normally.
// Walks the chain from the desktop's window afresh on every call: a proxy kept across calls
// fails once the shell restarts. Call it on a thread in a single-threaded apartment, and only
// once DesktopCallsReady() has been asked on the UI thread. It takes as long as the shell does.
DesktopWalk OpenFromDesktop(const std::wstring& target, const wchar_t* folder);
using DesktopAsker = DesktopWalk (*)(const std::wstring& target, const wchar_t* folder);

// Loads COM's calls that the walk needs (from the system folder, at the first ask); false if
// any is missing.
bool DesktopCallsReady();
