#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and test (as root, or with sudo), and
# any further ones named as arguments.
set -euo pipefail
# fonts-liberation: Arial-metric faces, so captions laid out for the classic dialog face fit.
# clang and libclang-rt-14-dev: the fuzz targets (libFuzzer) are built with clang.
# librsvg2-dev and libcairo2-dev: the SVG import draws with librsvg onto a cairo script surface.
# librsvg2-bin: rsvg-convert, which the SVG import's tests compare against.
# clang-format: scripts/test.sh checks the layout of every C++ file with it.
# libhersheyfont-dev and hershey-fonts-data: the stroke faces of the full HP-GL reading's labels and SVG text.
# zlib1g-dev: the SVG import inflates gzip-compressed drawings (.svgz).
# appstream: appstreamcli, which checks the package's AppStream metainfo.
# ninja-build and lld: a faster build tool and linker; the build uses them when present.
packages=(cmake make g++ pkg-config qt6-base-dev libgtest-dev libgl-dev fonts-liberation clang
          libclang-rt-14-dev librsvg2-dev libcairo2-dev librsvg2-bin clang-format libhersheyfont-dev
          hershey-fonts-data zlib1g-dev appstream ninja-build lld "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
