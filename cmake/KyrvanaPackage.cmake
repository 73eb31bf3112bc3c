# The Debian package (`cpack` in a build folder, or scripts/package.sh), made
# by CPack from the same install rules as `cmake --install`, so that the file
# list is written once. Its dependencies come from the binaries
# (dpkg-shlibdeps), not from a list kept by hand.
#
# The package is built from a folder configured with CMAKE_INSTALL_PREFIX=/usr:
# the programs carry the udev rule's installed path in their messages.

set(KYRVANA_PACKAGE_MAINTAINER "Kyrvana developers <kyrvana@users.noreply.example>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kyrvana)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KYRVANA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program of a six-well cell-culture stimulator")
set(CPACK_PACKAGE_DESCRIPTION
    "Kyrvana prepares and retrieves the tests of a six-well mechanical cell-culture
stimulator, whose actuators stretch or compress cells grown on membranes while
load cells measure the force. It composes test sequences and checks them
against the hardware's limits, keeps them as protocol files, programs them into
the device over its USB serial port and reads them back, downloads and deletes
the data files on the device's SD card, moves the actuators and calibrates the
load cells.

The package holds the Qt desktop application, the command-line tool
kyrvana-cli, the simulated stimulator kyrvana-sim, and a udev rule that gives
the desktop user the stimulator's port and keeps ModemManager away from it.")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its Wayland platform plugin only when it is installed; without it
# the window runs through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian's own documentation files: the copyright in its machine-readable form
# and a changelog. They belong to the package only, so they sit in a component
# that `cmake --install` leaves out.
set(KYRVANA_DEBIAN_VERSION "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
execute_process(COMMAND date -u -R -d "${KYRVANA_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE KYRVANA_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog.in
    ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
    COMMAND gzip -n -9 -c ${CMAKE_BINARY_DIR}/debian/changelog.Debian
        > ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
    DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian
    VERBATIM)
add_custom_target(kyrvana_debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright
    ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)

# One package holding every component, the Debian files included.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)

include(CPack)
