# Flags for every target. The positions are defined bit for bit, so the
# compiler must neither fuse multiply-adds nor reassociate floating point.
if(MSVC)
    add_compile_options(/W4 /fp:precise /utf-8)
else()
    add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
endif()

option(SORVELIN_SANITIZE "Build with the address and undefined-behaviour sanitizers" OFF)
if(SORVELIN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
