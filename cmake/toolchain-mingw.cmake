# Shared by the two toolchain files: cross-compiles for Windows with
# MinGW-w64 (posix thread model, which GCC needs for std::thread) for the
# target triplet in _cross, and runs the results under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${_cross}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_cross}-g++-posix)
set(CMAKE_RC_COMPILER ${_cross}-windres)
set(CMAKE_AR ${_cross}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_cross}-ranlib CACHE FILEPATH "")
set(CMAKE_DLLTOOL ${_cross}-dlltool CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_cross})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
