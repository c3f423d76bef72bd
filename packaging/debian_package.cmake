# The Debian package of the program: after building, `cpack -G DEB` in the build folder
# writes orlex-plotter_VERSION_ARCH.deb (scripts/package.sh does all of it). Everything
# the install rules put under the prefix goes into the package, under /usr. Included
# from packaging/CMakeLists.txt, whose orlex_install_gzipped() it uses.

set(ORLEX_PACKAGE_MAINTAINER "Orlex Plotter maintainers <maintainers@users.noreply.c-seed-e0ce6d61.example>"
    CACHE STRING "Maintainer field of the Debian package: Name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orlex-plotter)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for a home-built parallel-port pen plotter")
set(CPACK_PACKAGE_DESCRIPTION [[
Orlex Plotter drives a two-axis pen plotter wired straight to a PC parallel
port. It previews HPGL plot files (*.plt, *.hpgl), checks that a plot fits the
machine, homes and jogs the carriage, and draws, driving every stepper coil
itself at the pace of the plotter's own clock.

The package holds the window, orlex-plotter, with a built-in virtual plotter
(--simulate) to try everything without hardware, and the command-line tool
orlex-plotter-cli, which tests and draws plot files without a window.

A udev rule gives the parallel ports (/dev/parport*) to group lp: a member of
that group reaches the plotter without root.]])

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME orlex-plotter)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORLEX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# dpkg-shlibdeps finds the libraries the programs link (libqt6widgets6, libstdc++6, ...).
# It cannot see what Qt loads at run time: the xcb platform plugin, without which the
# window does not open on an X11 or XWayland desktop, is in qt6-qpa-plugins, which
# libqt6gui6 only recommends. The window's captions are laid out for Arial-metric faces.
# The full HP-GL reading's labels and the SVG import's text are drawn with the glyphs of
# hershey-fonts-data, which libhersheyfont reads at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, hershey-fonts-data")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")

# dpkg's triggers refresh the menu and the file types; these make the running udev read
# the rule for /dev/parport*.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/deb/postinst
    ${CMAKE_CURRENT_LIST_DIR}/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

# Debian wants a changelog in every package: the package's own, dated at configure time
# (or by SOURCE_DATE_EPOCH).
string(TIMESTAMP ORLEX_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
orlex_install_gzipped(${CMAKE_CURRENT_BINARY_DIR}/changelog ${ORLEX_DOC_DIR})

include(CPack)
