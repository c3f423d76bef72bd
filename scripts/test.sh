#!/usr/bin/env bash
# Builds and runs every test: a normal build, then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer (skip that with ORLEX_NO_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)")
if [ "${ORLEX_NO_SANITIZE:-0}" != 1 ]; then
  scripts/build.sh build-asan -DORLEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure -j"$(nproc)")
fi
