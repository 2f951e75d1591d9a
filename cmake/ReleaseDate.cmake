# The release's time is its commit's, so that a rebuild of the same commit writes the same dates:
# SOURCE_DATE_EPOCH where the caller sets it (scripts/package.sh does), else the last commit's
# time from git, else, in sources without git, the VERSION file's time. Sets
# SORVELIN_RELEASE_EPOCH (seconds since 1970), SORVELIN_RELEASE_DATE (2026-12-07) and
# SORVELIN_RELEASE_DATE_RFC2822 (Mon, 07 Dec 2026 21:30:00 +0000, as Debian's changelog wants).
set(SORVELIN_RELEASE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(SORVELIN_RELEASE_EPOCH STREQUAL "")
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE SORVELIN_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                        ERROR_QUIET)
    endif()
endif()
if(SORVELIN_RELEASE_EPOCH STREQUAL "")
    file(TIMESTAMP ${PROJECT_SOURCE_DIR}/VERSION SORVELIN_RELEASE_EPOCH "%s" UTC)
endif()
if(NOT SORVELIN_RELEASE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "the release time '${SORVELIN_RELEASE_EPOCH}' is not seconds since 1970")
endif()

# string(TIMESTAMP) writes the time in SOURCE_DATE_EPOCH where it is set.
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${SORVELIN_RELEASE_EPOCH})
string(TIMESTAMP SORVELIN_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP SORVELIN_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")
unset(saved_epoch)
