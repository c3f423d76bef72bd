#!/usr/bin/env bash
# Builds the Debian package: installs what building and packaging need, builds in
# build-package/ (Release, with Debian's hardening flags) and runs cpack -G DEB.
# Prints the path of the .deb; install it with: sudo apt install ./orlex-plotter_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-dev: dpkg-shlibdeps (the package's library dependencies) and dpkg-buildflags;
# file: CPack uses it to find the programs among the installed files.
scripts/install-deps.sh dpkg-dev file

# The flags Debian builds its own packages with (fortified functions, stack protector,
# read-only relocations); CMake reads no CPPFLAGS, so they go with the compiler flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

scripts/build.sh build-package -DCMAKE_BUILD_TYPE=Release -DORLEX_BUILD_TESTS=OFF \
  -DORLEX_BUILD_UI=ON "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"

cd build-package
rm -f orlex-plotter_*.deb
cpack -G DEB >cpack.log || { cat cpack.log >&2; exit 1; }
deb=(orlex-plotter_*.deb)
echo "$PWD/${deb[0]}"
