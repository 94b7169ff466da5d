#pragma once

#include <windows.h>

// Start-up: creates the one main window, kept for the life of the program, and shows it.
void Main();

// How the program ends: 0 once its last window is closed, or one of these when it cannot run.
// (Running out of memory ends it with ERROR_NOT_ENOUGH_MEMORY, 8: see Runtime.cpp.)
enum ExitCode : int {
    ExitNeedsDllSearchUpdate = 1, // Windows 7 without KB2533623
    ExitNoMainWindow = 2,         // Windows refused the main window
};

// The whole run: Main and the message loop, where DLL loads can be kept to the system folder
// (kernel32 has the call for it); elsewhere only the message that names the update it needs.
// Returns the exit code.
int RunProgram(HMODULE kernel32);
