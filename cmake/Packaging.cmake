# The Debian package: `cmake --build <dir> --target package` (or `cpack -G DEB` in <dir>)
# makes pelta_<version>_<arch>.deb of everything installed. Its dependencies come from the
# binaries themselves (dpkg-shlibdeps), never from a hand-written list.
include(GNUInstallDirs)

set(PELTA_PACKAGE_MAINTAINER "Pelta developers <pelta@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

# Directories the package makes are rwxr-xr-x whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The package's changelog names its version: a mismatch would ship a wrong history.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../packaging/changelog PELTA_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT PELTA_CHANGELOG_HEAD MATCHES "^pelta \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog does not start with version ${PROJECT_VERSION}")
endif()

find_program(PELTA_GZIP gzip REQUIRED)
set(PELTA_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
    OUTPUT ${PELTA_CHANGELOG_GZ}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${PELTA_GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/../packaging/changelog >
            ${PELTA_CHANGELOG_GZ}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../packaging/changelog
    COMMENT "Compressing the package's changelog")
add_custom_target(pelta_changelog ALL DEPENDS ${PELTA_CHANGELOG_GZ})
install(FILES ${PELTA_CHANGELOG_GZ} ${CMAKE_CURRENT_LIST_DIR}/../packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# pelta-ctl watch as a service, not enabled, with its settings file kept as a conffile (a
# package upgrade never overwrites the operator's settings).
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/pelta-watch.service
        DESTINATION /lib/systemd/system)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/pelta-watch.default
        DESTINATION /etc/default RENAME pelta-watch)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME pelta)
file(WRITE ${CMAKE_BINARY_DIR}/packaging/conffiles "/etc/default/pelta-watch\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/conffiles)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Pelta developers")
set(CPACK_PACKAGE_CONTACT ${PELTA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure and watch a display controller on a serial line")
# CPack puts the summary first and indents the rest; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Пелта is a Qt desktop program with which an operator configures and watches
a display controller over a serial line: its clock and calendar, indoor and
outdoor climate, two alarms and a timed two-line text event. A traffic
monitor shows every frame in hexadecimal with link statistics.

The package also holds pelta-sim, which plays the controller on a
pseudo-terminal so that the program can be tried without hardware,
pelta-ctl, which reads and sets one or many controllers from scripts, and
pelta-des, a command-line front for the program's DES file cipher.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PELTA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own translations, so that the dialogs Qt draws (file choice, message box buttons)
# speak the desktop's language; no library of ours links them, so dpkg-shlibdeps cannot know.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

