#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and test (as root, or with sudo), and
# any further ones named as arguments.
set -euo pipefail
# fonts-liberation: Arial-metric faces, so captions laid out for the classic dialog face fit.
# clang and libclang-rt-14-dev: the fuzz targets (libFuzzer) are built with clang.
# librsvg2-bin: rsvg-convert, the independent renderer the SVG import is checked against.
# libhersheyfont-dev and hershey-fonts-data: the stroke font of the full HP-GL reading's labels.
packages=(cmake make g++ pkg-config qt6-base-dev qt6-svg-dev libgtest-dev libgl-dev fonts-liberation clang
          libclang-rt-14-dev librsvg2-bin libhersheyfont-dev hershey-fonts-data "$@")
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
