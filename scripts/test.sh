#!/usr/bin/env bash
# Checks that every C++ file is laid out as .clang-format says, then builds and runs every
# test: a normal build, then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (skip that with ORLEX_NO_SANITIZE=1), then builds the fuzz
# targets with clang and runs each for a minute from its seed corpus (ORLEX_NO_FUZZ=1
# skips that; ORLEX_FUZZ_SECONDS changes the minute).
# Every build treats compiler warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Before the builds, so a layout slip fails in seconds; `clang-format -i FILE` mends it.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
export QT_QPA_PLATFORM=offscreen
scripts/build.sh build -DORLEX_WERROR=ON
(cd build && ctest --output-on-failure -j"$(nproc)")
if [ "${ORLEX_NO_SANITIZE:-0}" != 1 ]; then
  scripts/build.sh build-asan -DORLEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DORLEX_WERROR=ON
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure -j"$(nproc)")
fi
if [ "${ORLEX_NO_FUZZ:-0}" != 1 ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DORLEX_FUZZ=ON -DORLEX_BUILD_UI=OFF -DORLEX_BUILD_TESTS=OFF \
    -DORLEX_WERROR=ON >/dev/null
  cmake --build build-fuzz -j"$(nproc)" --target fuzzers
  ORLEX_FUZZ_BUILD=build-fuzz fuzz/run_fuzzers.sh "${ORLEX_FUZZ_SECONDS:-60}"
fi
