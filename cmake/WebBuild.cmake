# Builds the program as a web page beside every native developer build, so that each CI run also
# builds it and the browser test can load it. The nested build is configured from the web preset
# in a folder of this build's own; its page goes to web/ here. It takes this build's glyph tool,
# so the native stand-in is not built a second time.
option(SORVELIN_REQUIRE_WEB "Fail, rather than leave the web page out, where Emscripten is missing"
       OFF)
if(SORVELIN_SANITIZE OR SORVELIN_FUZZ)
    return()
endif()
find_program(SORVELIN_EMCC emcc)
if(NOT SORVELIN_EMCC)
    if(SORVELIN_REQUIRE_WEB)
        message(FATAL_ERROR "emcc not found: the web page needs Debian's emscripten package "
                            "(scripts/install-deps.sh test installs it)")
    endif()
    message(STATUS "Emscripten not found: the web page is not built")
    return()
endif()

set(SORVELIN_WEB_BINARY_DIR ${CMAKE_BINARY_DIR}/web-build)
set(SORVELIN_WEB_PAGE_DIR ${CMAKE_BINARY_DIR}/web)
add_custom_command(
    OUTPUT ${SORVELIN_WEB_BINARY_DIR}/CMakeCache.txt
    COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs
            ${CMAKE_COMMAND} --preset web -S ${PROJECT_SOURCE_DIR} -B ${SORVELIN_WEB_BINARY_DIR}
            -DSORVELIN_WEB_DIR=${SORVELIN_WEB_PAGE_DIR}
            -DSORVELIN_GLYPH_TOOL=$<TARGET_FILE:make_glyph_table>
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DEPENDS ${PROJECT_SOURCE_DIR}/CMakePresets.json
    COMMENT "Configuring the web build in ${SORVELIN_WEB_BINARY_DIR}"
    VERBATIM)
add_custom_target(sorvelin_web ALL
    COMMAND ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS --unset=MFLAGS --unset=MAKELEVEL
            NODE_PATH=/usr/share/nodejs ${CMAKE_COMMAND} --build ${SORVELIN_WEB_BINARY_DIR}
    DEPENDS ${SORVELIN_WEB_BINARY_DIR}/CMakeCache.txt make_glyph_table
    COMMENT "Building the web page"
    VERBATIM)
