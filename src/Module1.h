#pragma once

#include <windows.h>

// Start-up: creates the one main window, kept for the life of the program, and shows it.
void Main();

// The whole run: Main and the message loop, where DLL loads can be kept to the system folder
// (kernel32 has the call for it); elsewhere only the message that names the update it needs.
// Returns the exit code.
int RunProgram(HMODULE kernel32);
