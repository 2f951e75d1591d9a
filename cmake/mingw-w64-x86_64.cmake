# Cross-compiles the Windows program with Debian's MinGW-w64 for 64-bit Windows.
# The win32-threads variant of the compiler needs no winpthread DLL, and the
# preset links the C and C++ runtimes statically, so sorvelin.exe runs on any
# Windows with nothing but the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SORVELIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SORVELIN_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${SORVELIN_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${SORVELIN_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW sysroot, programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${SORVELIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
