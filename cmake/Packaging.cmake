# Release packages with CPack: on Linux a Debian package of the GTK program, from the Windows
# cross build an NSIS installer and a portable zip. scripts/package.sh runs both and collects
# them in dist/.
set(SORVELIN_PACKAGE_CONTACT "Sorvelin developers <sorvelin@example.org>"
    CACHE STRING "Maintainer named in the packages: a name and an e-mail address")

set(CPACK_PACKAGE_NAME Sorvelin)
set(CPACK_PACKAGE_VENDOR "Sorvelin developers")
include(GNUInstallDirs)
set(CPACK_PACKAGE_CONTACT "${SORVELIN_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop orrery of the Sun and six planets")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Packages hold the same files whatever the umask of the machine that builds them.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_SOURCE_GENERATOR "")
# Every file in every package carries the release's time (cmake/ReleaseDate.cmake).
set(CPACK_SORVELIN_RELEASE_EPOCH ${SORVELIN_RELEASE_EPOCH})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/packaging/release_times.cmake)

if(WIN32)
    # The portable program: sorvelin.exe with the READMEs and the licence in one folder.
    install(TARGETS sorvelin RUNTIME DESTINATION .)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/README.ja.md DESTINATION .)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

    set(CPACK_GENERATOR NSIS ZIP)
    set(CPACK_PACKAGE_FILE_NAME sorvelin-${PROJECT_VERSION}-win64)
    set(CPACK_PACKAGE_INSTALL_DIRECTORY Sorvelin)
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Sorvelin)
    # The installer and its uninstaller are 64-bit Unicode programs: Program Files, not
    # Program Files (x86), the 64-bit registry, and Japanese pages on a Japanese system.
    # NSIS would store each file's time in the installer, among them the page that CPack
    # writes at the moment of packaging: the installed files take the time of installation.
    set(CPACK_NSIS_DEFINES "Target amd64-unicode\nSetDateSave off")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_NSIS_PACKAGE_NAME Sorvelin)
    set(CPACK_NSIS_DISPLAY_NAME Sorvelin)
    set(CPACK_NSIS_INSTALLED_ICON_NAME sorvelin.exe)
    set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/sorvelin.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/sorvelin.ico)
    # One Start-menu shortcut, "Sorvelin", to the program at the top of the installation.
    set(CPACK_PACKAGE_EXECUTABLES sorvelin Sorvelin)
    set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
    set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
    # The stock uninstaller removes the program's own key under the vendor's only after these
    # commands, and never the vendor's, left empty: take both here, the vendor's only when
    # nothing else of the vendor's is in it. Escaped once more for CPack's configuration file,
    # which reads the value again.
    set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
        "DeleteRegKey SHCTX \\\"Software\\\\${CPACK_PACKAGE_VENDOR}\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}\\\"
DeleteRegKey /ifempty SHCTX \\\"Software\\\\${CPACK_PACKAGE_VENDOR}\\\"")
    # The installer takes the file name that says what it is; the zip keeps the plain one.
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/packaging/generator_names.cmake)
elseif(UNIX AND NOT APPLE AND TARGET sorvelin)
    # The Debian package: the program and its desktop integration (installed beside the GTK
    # host), with Debian's copyright file, changelog and manual page.
    set(package_doc ${CMAKE_INSTALL_DATADIR}/doc/sorvelin)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/packaging/copyright DESTINATION ${package_doc})

    # Debian wants the changelog and the manual page compressed, without a time stamp.
    set(packaging_dir ${CMAKE_BINARY_DIR}/packaging)
    foreach(file changelog sorvelin.1)
        configure_file(${CMAKE_CURRENT_LIST_DIR}/packaging/${file}.in ${packaging_dir}/${file}
                       @ONLY)
        execute_process(COMMAND gzip -9nc ${packaging_dir}/${file}
                        OUTPUT_FILE ${packaging_dir}/${file}.gz COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    install(FILES ${packaging_dir}/changelog.gz DESTINATION ${package_doc})
    install(FILES ${packaging_dir}/sorvelin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

    # As Debian's own packages: the compiler's and the C runtime's notes have no use at run time.
    set(installed_program "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/sorvelin")
    install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
                                  --remove-section=.note \"${installed_program}\"
                                  COMMAND_ERROR_IS_FATAL ANY)")

    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_PACKAGE_NAME sorvelin)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION science)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SORVELIN_PACKAGE_CONTACT}")
    # The libraries from dpkg-shlibdeps; the font because every text in the window is Japanese.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    set(CPACK_PACKAGE_DESCRIPTION [[
Sorvelin animates Mercury, Venus, Earth, Mars, Jupiter and Saturn around
the Sun, seen from the south side of the ecliptic, from mean orbital
elements and Kepler's equation. Buttons zoom, leave trails along the
orbits, change the speed and jump a year ahead; a status bar shows the
estimated date. All texts in the window are Japanese.]])
endif()

include(CPack)
