# The same program for 64-bit Windows (PE32+, x86_64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELVORIA_ARCH x86_64)
set(_cross x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
