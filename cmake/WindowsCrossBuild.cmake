# Cross-builds the Windows program beside a native build that asks for it
# (SORVELIN_WINDOWS_CROSS_BUILD), so that each developer build and each CI run also
# compiles sorvelin.exe and its tests can inspect and run it. The nested build is
# configured from the mingw preset, in a folder of this build's own, and is rebuilt
# whenever this build is.
find_program(SORVELIN_MINGW_CXX x86_64-w64-mingw32-g++-win32)
if(NOT SORVELIN_MINGW_CXX)
    message(FATAL_ERROR "SORVELIN_WINDOWS_CROSS_BUILD needs MinGW-w64 "
                        "(Debian's g++-mingw-w64-x86-64-win32, which scripts/install-deps.sh test installs)")
endif()

set(SORVELIN_WINDOWS_BINARY_DIR ${CMAKE_BINARY_DIR}/mingw)
set(SORVELIN_WINDOWS_EXE ${SORVELIN_WINDOWS_BINARY_DIR}/sorvelin.exe)  # the shell puts it on top

add_custom_command(
    OUTPUT ${SORVELIN_WINDOWS_BINARY_DIR}/CMakeCache.txt
    COMMAND ${CMAKE_COMMAND} --preset mingw -S ${PROJECT_SOURCE_DIR} -B ${SORVELIN_WINDOWS_BINARY_DIR}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DEPENDS ${PROJECT_SOURCE_DIR}/CMakePresets.json ${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    COMMENT "Configuring the Windows cross build in ${SORVELIN_WINDOWS_BINARY_DIR}"
    VERBATIM)
# Always run: the nested build itself knows which of its files are out of date. It
# counts as one job of the outer build and compiles one file at a time; without the
# outer make's flags it does not complain that it cannot share the outer job slots.
add_custom_target(sorvelin_windows ALL
    COMMAND ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS --unset=MFLAGS --unset=MAKELEVEL
            ${CMAKE_COMMAND} --build ${SORVELIN_WINDOWS_BINARY_DIR}
    DEPENDS ${SORVELIN_WINDOWS_BINARY_DIR}/CMakeCache.txt
    COMMENT "Cross-building sorvelin.exe"
    VERBATIM)
