#include "Module1.h"

#include <windows.h>

namespace {
int Run() {
    return RunProgram(GetModuleHandleW(L"kernel32.dll"));
}
} // namespace

#if defined(__GNUC__)
// GCC: the exe's own entry point, linked with -nostartfiles in place of MinGW's start-up code,
// which sets up a command line, standard streams, locales, TLS and exception filters that the
// program never uses: a fifth of the exe. It does for the program what that code would: runs
// the static constructors (the linker lists them between a -1 and a null, to be run from the
// last), and ends the process with the program's exit code; no destructor runs after that. On
// 32-bit Windows the entry point is called with the stack aligned to 4 bytes only, where GCC's
// code assumes 16, so it is aligned here; on x86_64 the caller has aligned it, as that ABI asks.
extern "C" void (*__CTOR_LIST__[])();

// Static objects ask here to be destroyed at exit. The process ends without that, and what they
// hold goes with it.
extern "C" int __cdecl atexit(void(__cdecl*)()) {
    return 0;
}

extern "C" [[noreturn]] __attribute__((used, force_align_arg_pointer)) void QuillmereStart() {
    void (**last)() = __CTOR_LIST__ + 1;
    while (*last)
        ++last;
    while (--last != __CTOR_LIST__)
        (*last)();
    ExitProcess(static_cast<UINT>(Run()));
}
#else
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return Run();
}
#endif
