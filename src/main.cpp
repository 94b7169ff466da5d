#include "Module1.h"

#include <windows.h>

#include <cstdlib>

#if defined(__GLIBCXX__)
// The runtime's default handler prints a demangled type name to a console this program does not
// have, and the demangler is a sixth of the exe. Ending at once is all that is left to do here.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return RunProgram(GetModuleHandleW(L"kernel32.dll"));
}
