# Flags for every target. The positions are defined bit for bit, so the
# compiler must neither fuse multiply-adds nor reassociate floating point.
if(MSVC)
    add_compile_options(/W4 /fp:precise /utf-8)
else()
    add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
    # The same program from any checkout: file names in the objects, the debug data and the
    # macros that name files are relative to the sources, not to where they lie.
    add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
endif()

option(SORVELIN_SANITIZE "Build with the address and undefined-behaviour sanitizers" OFF)
if(SORVELIN_SANITIZE)
    # float-cast-overflow is not part of "undefined" in GCC: it catches a double too large for
    # the int it is converted to, which the drawing and the zoom must never do.
    add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

# libFuzzer's coverage on every target, sanitizers included; only the fuzz targets link its main.
option(SORVELIN_FUZZ "Instrument everything for libFuzzer and build the fuzz targets (clang)" OFF)
if(SORVELIN_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow
                        -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

# The hardening that Debian builds its packages with: a program loaded at a random address,
# checked string and memory calls where the compiler can see the sizes, stack protectors, and a
# read-only relocation table bound at start. tests/packaging/hardening.py holds the package to it.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT SORVELIN_FUZZ)
    add_compile_options(-fPIE -fstack-protector-strong
                        $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>)
    add_link_options(-pie -Wl,-z,relro -Wl,-z,now)
endif()

# The Windows program's counterpart: loaded at a random 64-bit address, data never executed.
# The linker would write the time of the link into the header; the header of the same
# program should not change with the hour it was built.
if(MINGW)
    add_link_options(LINKER:--dynamicbase LINKER:--high-entropy-va LINKER:--nxcompat
                     LINKER:--no-insert-timestamp)
endif()

# CMake knows no whole-archive linking for Emscripten, whose wasm-ld has it as lld does: the
# program links its resource table whole, since nothing refers to it by name. As on Windows, no
# object lies in the lowest 64 KB of memory: Win32 tells a resource's number from a name's
# address by that (IS_INTRESOURCE), and WebAssembly would start its data at 1 KB.
if(EMSCRIPTEN)
    add_link_options(-sGLOBAL_BASE=65536)
    set(CMAKE_CXX_LINK_LIBRARY_USING_WHOLE_ARCHIVE
        "LINKER:--whole-archive" "<LINK_ITEM>" "LINKER:--no-whole-archive")
    set(CMAKE_CXX_LINK_LIBRARY_USING_WHOLE_ARCHIVE_SUPPORTED TRUE)
endif()
