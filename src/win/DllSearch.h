#pragma once

#include <windows.h>

// Keeps every later DLL load by name to the system folder, never beside the exe or in the
// current folder, where anyone could have planted one (an elevated program started from a
// Downloads folder, say). The call for it comes with Windows 8, and with update KB2533623 on
// Windows 7: without it, false, and nothing is changed.
bool RestrictDllSearch(HMODULE kernel32);

// Tells the user that the program needs that update. The system shows the message, not this
// process, so that showing it loads nothing more into a process that cannot search safely.
void ReportMissingDllSearchUpdate();
