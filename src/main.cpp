#include "Module1.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return RunProgram(GetModuleHandleW(L"kernel32.dll"));
}
