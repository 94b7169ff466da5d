#pragma once

#include <windows.h>

// Start-up: creates the one main window, kept for the life of the program, and shows it.
void Main();

// How the program ends, each code with one meaning. (Listed in the README for administrators'
// scripts: a change here is a change there.)
enum ExitCode : int {
    ExitClosed = 0,               // its last window was closed
    ExitNeedsDllSearchUpdate = 1, // Windows 7 without KB2533623
    ExitNoMainWindow = 2,         // Windows refused the main window
    ExitMessageLoopFailed = 3,    // Windows failed to give the next message
    ExitProgramFault = 4,         // a fault in the program itself: see Runtime.cpp
    ExitOutOfMemory = 8,          // ERROR_NOT_ENOUGH_MEMORY, as Windows numbers it
};

// The whole run: Main and the message loop, where DLL loads can be kept to the system folder
// (kernel32 has the call for it); elsewhere only the message that names the update it needs.
// Returns the exit code.
int RunProgram(HMODULE kernel32);
