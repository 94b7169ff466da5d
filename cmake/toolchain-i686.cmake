# The release for 32-bit Windows. 64-bit Wine cannot start 32-bit code on these machines: this
# build is compiled, not run.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
