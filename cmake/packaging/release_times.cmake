# Run by CPack on the installed tree before each package is made: every file and folder takes
# the release's time, so that the archives and the installer hold the same times on every
# rebuild, not those of the checkout or of the build.
execute_process(COMMAND find ${CPACK_TEMPORARY_INSTALL_DIRECTORY} -exec touch -h
                        -d @${CPACK_SORVELIN_RELEASE_EPOCH} {} +
                COMMAND_ERROR_IS_FATAL ANY)
