// The few pieces of the C++ runtime that the program calls, linked into the exe only. The
// program is built without exceptions, so nothing here throws: running out of memory ends the
// process at once, with a code that says why, and leaves nothing half done (Apply prepares
// everything its writes need before the first one).
#include "Module1.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

// Ends the process at once: no handler, no message box and no destructor runs after this.
[[noreturn]] void EndProgram(UINT code) {
    TerminateProcess(GetCurrentProcess(), code);
    std::abort(); // not reached
}

void* Allocate(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    EndProgram(ExitOutOfMemory);
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

#if defined(__GLIBCXX__)
// GCC's standard library reports a failed allocation, an impossible size or a bad index through
// these; its own versions build exception objects, which would bring in most of the library.
// None can be met without exceptions: sizes end as running out of memory does, the rest as the
// program fault they are.
namespace std {
void __throw_bad_alloc() {
    EndProgram(ExitOutOfMemory);
}
void __throw_bad_array_new_length() {
    EndProgram(ExitOutOfMemory);
}
void __throw_length_error(const char*) {
    EndProgram(ExitOutOfMemory);
}
void __throw_logic_error(const char*) {
    EndProgram(ExitProgramFault);
}
void __throw_out_of_range_fmt(const char*, ...) {
    EndProgram(ExitProgramFault);
}
} // namespace std

// A pure virtual function called while its object is built or destroyed: a program fault.
extern "C" void __cxa_pure_virtual() {
    EndProgram(ExitProgramFault);
}
#endif
